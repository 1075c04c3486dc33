# Shared by the benchmark scripts (uses $work for a scratch file and $runs for the count):
# sample COMMAND... prints the median wall time and the median peak memory (KiB) of $runs runs;
# measure LABEL COMMAND... prints them as a line of its own.
median() { sort -n | sed -n "$(( (runs + 1) / 2 ))p"; }
sample() {
  local times=() mems=()
  for _ in $(seq "$runs"); do
    /usr/bin/time -q -f "%e %M" -o "$work/t" "$@" >/dev/null 2>&1 || true
    read -r t m < "$work/t"
    times+=("$t"); mems+=("$m")
  done
  echo "$(printf '%s\n' "${times[@]}" | median) $(printf '%s\n' "${mems[@]}" | median) ${times[*]}"
}
measure() {
  local label="$1"; shift
  local t m all
  read -r t m all <<<"$(sample "$@")"
  LC_ALL=C printf '%-28s median %8.2f s   peak %9d KiB   (runs: %s)\n' "$label" "$t" "$m" "$all"
}
