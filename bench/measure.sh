# Shared by the benchmark scripts: measure LABEL COMMAND... runs COMMAND $runs times and
# prints the median wall time and peak memory (uses $work for a scratch file).
median() { sort -n | sed -n "$(( (runs + 1) / 2 ))p"; }
measure() {
  local label="$1"; shift
  local times=() mems=()
  for _ in $(seq "$runs"); do
    /usr/bin/time -q -f "%e %M" -o "$work/t" "$@" >/dev/null 2>&1 || true
    read -r t m < "$work/t"
    times+=("$t"); mems+=("$m")
  done
  printf '%-28s median %8.2f s   peak %9d KiB   (runs: %s)\n' "$label" \
    "$(printf '%s\n' "${times[@]}" | median)" "$(printf '%s\n' "${mems[@]}" | median)" "${times[*]}"
}
