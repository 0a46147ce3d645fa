# Sourced by the dependency builds: enable_source_packages lets apt fetch
# Debian's source packages (a deb-src entry made from the machine's own
# entry when it has none; through sudo when not root).
enable_source_packages() {
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && return 0
  grep -qs '^deb-src' /etc/apt/sources.list && return 0
  sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
    $sudo tee /etc/apt/sources.list.d/debian-src.sources > /dev/null
  $sudo apt-get update -q > /dev/null
}
