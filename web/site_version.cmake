# Run after each build of the page's folder: names the build by a hash of its
# files and writes the service worker with that version (sw.js).
#   cmake -DSITE=folder -DTEMPLATE=sw.js.in -P site_version.cmake
set(hashes "")
foreach(file index.html page.js page.css pqn.webmanifest pqn.js pqn.wasm pqn.data)
  file(SHA256 ${SITE}/${file} hash)
  string(APPEND hashes ${hash})
endforeach()
string(SHA256 version "${hashes}")
string(SUBSTRING ${version} 0 16 PQN_SITE_VERSION)
configure_file(${TEMPLATE} ${SITE}/sw.js @ONLY)
