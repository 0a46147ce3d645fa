# Sourced by the scripts that run in stages (.ci/run, scripts/test.sh):
# stage WHO WHAT COMMAND... runs COMMAND, then says "WHO: WHAT took M min S s";
# elapsed FROM is the time since $SECONDS stood at FROM, as "M min S s".
elapsed() { echo "$(( (SECONDS - $1) / 60 )) min $(( (SECONDS - $1) % 60 )) s"; }
stage() {
  local who="$1" what="$2" from=$SECONDS
  shift 2
  "$@"
  echo "$who: $what took $(elapsed "$from")"
}
