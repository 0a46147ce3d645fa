# Run after each build of the page's folder: names the build by a hash of
# every file in it and writes the service worker (sw.js) with that version
# and the list of those files to keep.
#   cmake -DSITE=folder -DTEMPLATE=sw.js.in -P site_version.cmake
file(GLOB_RECURSE files RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM files sw.js)
list(SORT files)
set(hashes "")
set(PQN_SITE_FILES "'./'")
foreach(file ${files})
  file(SHA256 ${SITE}/${file} hash)
  string(APPEND hashes "${file} ${hash}\n")
  # The page itself is kept as the folder's address, which is how it is visited.
  if(NOT file STREQUAL "index.html")
    string(APPEND PQN_SITE_FILES ", '${file}'")
  endif()
endforeach()
string(SHA256 version "${hashes}")
string(SUBSTRING ${version} 0 16 PQN_SITE_VERSION)
configure_file(${TEMPLATE} ${SITE}/sw.js @ONLY)
