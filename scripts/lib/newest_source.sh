# Sourced by the Windows builds: newest_source PACKAGE fetches into the
# caller's folder $work the newest source of PACKAGE that the archive serves
# (a security update may be listed before its source is), logging to
# $work/sources.log; the script ends with that log when none can be fetched.
newest_source() {
  local version
  for version in $(apt-cache showsrc "$1" | awk '/^Version:/ {print $2}' | sort -V -r); do
    (cd "$work" && apt-get source -q "$1=$version" >> sources.log 2>&1) && return 0
  done
  cat "$work/sources.log" >&2
  exit 1
}
