# Sourced by the dependency builds (scripts/web_deps.sh and
# scripts/windows_deps.sh): the versions of SDL2, libopenmpt and FreeType the
# desktop build uses, and the steps both take to build them into a cache.
version_of() { dpkg-query -W -f='${Version}' "$1"; }
sdl_version="$(version_of libsdl2-dev)"
openmpt_version="$(version_of libopenmpt-dev)"
freetype_version="$(version_of libfreetype-dev)"

# start_cache: when $cache holds a finished build, prints it and ends the
# script; else empties it for a new one (include/ and lib/) and makes $work,
# a scratch folder removed when the script ends.
start_cache() {
  if [ -f "$cache/done" ]; then echo "$cache"; exit 0; fi
  work="$(mktemp -d)"
  trap 'rm -rf "$work"' EXIT
  rm -rf "$cache"
  mkdir -p "$cache/include" "$cache/lib"
}

# fetch_library_sources: Debian's sources of SDL2, libopenmpt and FreeType of
# the desktop's versions, into $work (apt's output shown when that fails).
fetch_library_sources() {
  (cd "$work" && apt-get source -q libsdl2="$sdl_version" libopenmpt="$openmpt_version" freetype="$freetype_version" \
    > sources.log 2>&1) || { cat "$work/sources.log" >&2; exit 1; }
}

# build_libopenmpt COMPILER ARCHIVER FLAG...: libopenmpt from its own sources
# (its release has no CMake build), compiled with COMPILER and FLAG..., into
# $cache/lib/libopenmpt.a with its headers in $cache/include/libopenmpt.
build_libopenmpt() {
  local compiler="$1" archiver="$2" openmpt
  shift 2
  openmpt="$(echo "$work"/libopenmpt-*/)"
  mkdir -p "$work/openmpt"
  local sources=("$openmpt"common/*.cpp "$openmpt"soundlib/*.cpp "$openmpt"soundlib/plugins/*.cpp
                 "$openmpt"soundlib/plugins/dmo/*.cpp "$openmpt"sounddsp/*.cpp
                 "$openmpt"libopenmpt/libopenmpt_{c,cxx,ext_impl,impl}.cpp)
  printf '%s\n' "${sources[@]}" | xargs -P "$(nproc)" -I{} sh -c \
    'source="$1" objects="$2" root="$3"; shift 3
     "$@" -DLIBOPENMPT_BUILD -I"$root" -I"$root/src" -I"$root/common" -I"$root/build/svn_version" \
       -c "$source" -o "$objects/$(echo "$source" | md5sum | cut -c1-12).o"' _ {} "$work/openmpt" "$openmpt" "$compiler" "$@"
  "$archiver" rcs "$cache/lib/libopenmpt.a" "$work"/openmpt/*.o
  mkdir -p "$cache/include/libopenmpt"
  cp "$openmpt"libopenmpt/libopenmpt*.h "$openmpt"libopenmpt/libopenmpt*.hpp "$cache/include/libopenmpt/"
}
