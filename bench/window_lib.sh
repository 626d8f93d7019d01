# Shared pieces of the benches that drive the real window, the command line
# and cwdiag over the same clips (sourced by bench/window_gap and
# bench/big_queue). Needs a build folder with clipwright, clipwright-cli,
# cwdiag, data.dat, app.ico and htm/, and xvfb-run.

# make_program_folder BUILD PROG LOG: a program folder with the programs the
# build has (clipwright, clipwright-cli, cwdiag), ffprobe beside the encoder
# as installed, and an encoder that logs "start T" and "end T" (seconds)
# around ffmpeg for conversions only (an encoder started for anything else,
# a thumbnail or a listing of the source, is not logged).
make_program_folder() {
  local build=$1 prog=$2 log=$3 f
  mkdir -p "$prog"
  for f in clipwright clipwright-cli cwdiag data.dat app.ico; do
    if [ -e "$build/$f" ]; then cp "$build/$f" "$prog/"; fi
  done
  if [ -d "$build/htm" ]; then cp -r "$build/htm" "$prog/"; fi
  ln -s /usr/bin/ffprobe "$prog/ffprobe"
  cat >"$prog/xenc" <<WRAP
#!/bin/sh
case " \$* " in *" -codec:v libx264 "*) converts=1 ;; *) converts=0 ;; esac
[ \$converts = 0 ] || echo "start \$(date +%s.%N)" >>"$log"
/usr/bin/ffmpeg "\$@"
status=\$?
[ \$converts = 0 ] || echo "end \$(date +%s.%N)" >>"$log"
exit \$status
WRAP
  chmod +x "$prog/xenc"
}

# write_config PROG OUT_DIR CONTASKS
write_config() {
  printf '{"targetDevice": "1","outputQuality": "Normal","outputDir": "%s","conTasks": %s,"needShutdown": 0}' \
    "$2" "$3" >"$1/config.ini"
}

# make_clips DIR COUNT SECONDS SIZE: prints the clip paths, one a line.
make_clips() {
  local dir=$1 count=$2 seconds=$3 size=$4 i
  mkdir -p "$dir"
  for i in $(seq 1 "$count"); do
    ffmpeg -nostdin -loglevel error -y -f lavfi -i "testsrc=duration=$seconds:size=$size:rate=25" \
      -f lavfi -i "sine=frequency=$((200 + i)):duration=$seconds" -c:v mpeg4 -q:v 5 -c:a aac -shortest \
      "$dir/clip$i.avi"
    echo "$dir/clip$i.avi"
  done
}

# wait_for_ends LOG COUNT TIMEOUT_S: true once LOG holds COUNT "end" lines.
wait_for_ends() {
  local log=$1 count=$2 limit=$3 waited=0
  local ended
  for (( ; ; )); do
    ended=$(grep -c '^end' "$log" 2>/dev/null) || true
    [ "${ended:-0}" -lt "$count" ] || return 0
    sleep 0.1
    waited=$((waited + 1))
    [ "$waited" -lt $((limit * 10)) ] || return 1
  done
}

# gaps LOG: every gap between one run's end and the next run's start (runs
# one at a time), one a line, in seconds.
gaps() {
  awk '$1 == "start" { if (last_end != "") printf "%.3f\n", $2 - last_end } $1 == "end" { last_end = $2 }' "$1"
}

# summary_of_gaps: "largest L median M" of the numbers on standard input.
summary_of_gaps() {
  sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) { print "no gaps"; exit }
    m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "largest %.3f s, median %.3f s\n", v[NR], m }'
}

# descendants PID: every process below PID.
descendants() {
  local pid=$1 child
  for child in $(ps -o pid= --ppid "$pid"); do
    echo "$child"
    descendants "$child"
  done
}

# cpu_seconds PID: user + system time of the process so far.
cpu_seconds() {
  awk -v hz="$(getconf CLK_TCK)" '{ sub(/^.*\) /, ""); print ($12 + $13) / hz }' "/proc/$1/stat" 2>/dev/null || echo 0
}

# peak_kb PID: the peak resident memory of the process in kB.
peak_kb() {
  awk '$1 == "VmHWM:" { print $2 }' "/proc/$1/status" 2>/dev/null || echo 0
}

# run_window PROG HOME ENCODER_LOG COUNT TIMEOUT_S CLIPS...: starts the window
# under Xvfb with the clips (as "Open with" does), waits until COUNT runs ended,
# prints "wall W web_cpu C app_peak_kb A web_peak_kb P" and stops it.
run_window() {
  local prog=$1 home=$2 encoder_log=$3 count=$4 limit=$5 log
  shift 5
  log=$home/window.log
  mkdir -p "$home"
  local start end pid
  start=$(date +%s.%N)
  HOME=$home XDG_CONFIG_HOME=$home/.config XDG_CACHE_HOME=$home/.cache XDG_DATA_HOME=$home/.local/share \
    xvfb-run -a -s "-screen 0 1280x800x24" "$prog/clipwright" "$@" >"$log" 2>&1 &
  local runner=$!
  for _ in $(seq 1 100); do
    pid=$(pgrep -f "^$prog/clipwright " | head -1 || true)
    [ -n "$pid" ] && break
    sleep 0.1
  done
  local ok=0
  wait_for_ends "$encoder_log" "$count" "$limit" && ok=1
  end=$(date +%s.%N)
  local web_cpu=0 web_peak=0 app_peak=0 child
  if [ -n "$pid" ]; then
    app_peak=$(peak_kb "$pid")
    for child in $(descendants "$pid"); do
      case $(cat "/proc/$child/comm" 2>/dev/null) in
        WebKitWebProces*)
          web_cpu=$(awk -v a="$web_cpu" -v b="$(cpu_seconds "$child")" 'BEGIN { print a + b }')
          web_peak=$(awk -v a="$web_peak" -v b="$(peak_kb "$child")" 'BEGIN { print a + b }') ;;
      esac
    done
    kill "$pid" 2>/dev/null || true
  fi
  wait "$runner" 2>/dev/null || true
  [ "$ok" = 1 ] || { echo "the window did not finish its runs in time" >&2; return 1; }
  awk -v s="$start" -v e="$end" -v c="$web_cpu" -v a="$app_peak" -v p="$web_peak" \
    'BEGIN { printf "wall %.2f web_cpu %.2f app_peak_kb %d web_peak_kb %d\n", e - s, c, a, p }'
}
