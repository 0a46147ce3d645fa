# Sourced by the scripts: reference_moments prints the moments the test
# suite's reference pictures show (tests/reference/shot-OOO-RR.png), as the
# ORDER:ROW list --shot takes ("1:20,2:50,...").
reference_moments() {
  local root
  root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
  ls "$root/tests/reference" | sed -n 's/^shot-0*\([0-9][0-9]*\)-0*\([0-9][0-9]*\)\.png$/\1:\2/p' | sort -t: -k1,1n -k2,2n |
    paste -s -d,
}
