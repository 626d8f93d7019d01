#!/bin/sh
# A stand-in for the encoder in tests. Called like the real one:
#   xenc -i INPUT -codec:v libx264 -y [OPTIONS...] OUTPUT
# INPUT is a small text file of KEY=VALUE lines that says how to behave:
#   frames=N   frames to "encode" (default 50)
#   fps=N      frame rate it reports (default 25)
#   pace=S     seconds between status lines, fractions allowed (default 0.02; 0: none)
#   exit=N     exit status at the end (default 0)
#   stop=N     ends after frame N with an error line, no trailer and status `exit`
#   mode=M     normal | hang (no output after the header, never ends) |
#              busy (burns processor time between frames) | stdin (reads its
#              standard input first and reports how many bytes came) |
#              crash (kills itself with SIGSEGV halfway)
#   work=N     loop rounds per frame in busy mode (default 20000)
#   accents=N  prints N two-byte characters (U+00E9) at once after the banner
#   chatter=N  prints N bytes of warning lines after the header, all at once
#   subtitles=C,C  lists subtitle tracks of these codecs after the picture
# The OUTPUT file begins with a 32-byte MP4 skeleton (ftyp, an empty moov and
# an mdat that runs to the end of the file), so that it reads back as an MP4,
# then receives one "arg: X" line per argument, one line per frame, then
# "complete".
#   mode=nooutput removes OUTPUT just before exiting as asked;
#   mode=text writes the lines without the skeleton.
# Called with "-i SOURCE" and no output it lists the source and exits 1.
# Given "-fpsmax N" below its fps it drops frames as the real one does: it
# writes and counts N frames a second of the source.
frames=50 fps=25 pace=0.02 exit_status=0 stop=0 mode=normal work=20000 accents=0 chatter=0 subtitles=""
input="" output=""
previous="" fpsmax=""
for arg in "$@"; do
  [ "$previous" = "-i" ] && input=$arg
  [ "$previous" = "-fpsmax" ] && fpsmax=$arg
  previous=$arg
  output=$arg
done
if [ -n "$input" ] && [ -f "$input" ]; then
  while IFS='=' read -r key value; do
    case $key in
      frames) frames=$value ;;
      fps) fps=$value ;;
      pace) pace=$value ;;
      exit) exit_status=$value ;;
      stop) stop=$value ;;
      mode) mode=$value ;;
      work) work=$value ;;
      accents) accents=$value ;;
      chatter) chatter=$value ;;
      subtitles) subtitles=$value ;;
    esac
  done < "$input"
fi

# A banner long enough that the stream lines come after the first 1500 characters.
echo "ffmpeg version 0.0-fake Copyright (c) 2000-2026 the test authors"
i=0
while [ $i -lt 24 ]; do
  echo "  configuration: --enable-fake-option-$i --enable-another-fake-option-$i --disable-nothing"
  i=$((i + 1))
done
if [ "$accents" -gt 0 ]; then
  printf "%${accents}s\n" "" | sed 's/ /\xc3\xa9/g'
fi
if [ "$mode" = stdin ]; then
  got=$(cat | wc -c)
  echo "stdin bytes: $got"
fi
secs=$((frames / fps))
hundredths=$(((frames % fps) * 100 / fps))
echo "Input #0, avi, from '$input':"
printf "  Duration: %02d:%02d:%02d.%02d, start: 0.000000, bitrate: 1200 kb/s\n" \
  $((secs / 3600)) $((secs / 60 % 60)) $((secs % 60)) $hundredths
echo "    Stream #0:0: Video: mpeg4 (Simple Profile), yuv420p, 320x240, 1100 kb/s, $fps fps, $fps tbr, $fps tbn, $fps tbc"
# Split on commas without a subprocess: a test may kill the whole group at any
# moment and expects it gone once this process is.
track=1 rest=$subtitles
while [ -n "$rest" ]; do
  codec=${rest%%,*}
  [ "$codec" = "$rest" ] && rest="" || rest=${rest#*,}
  echo "    Stream #0:$track: Subtitle: $codec"
  track=$((track + 1))
done
if [ "$output" = "$input" ]; then
  # Only "-i SOURCE": a listing of the source, as the real one gives it.
  echo "At least one output file must be specified"
  exit 1
fi
echo "Output #0, mp4, to '$output':"
: > "$output" || exit 1
if [ "$mode" != text ]; then
  printf '\000\000\000\020ftypisom\000\000\002\000\000\000\000\010moov\000\000\000\000mdat' >> "$output"
fi
if [ "$chatter" -gt 0 ]; then
  yes "[mpeg4 @ 0x5610] ac-tex damaged at 12 7, concealing 42 DC errors" | head -c "$chatter"
fi
for arg in "$@"; do echo "arg: $arg" >> "$output"; done

if [ "$mode" = hang ]; then
  exec sleep 3600
fi

out_fps=$fps out_frames=$frames
if [ -n "$fpsmax" ] && [ "${fpsmax%%.*}" -lt "$fps" ]; then
  out_fps=${fpsmax%%.*}
  out_frames=$((frames * out_fps / fps))
fi
frame=0
while [ $frame -lt $out_frames ]; do
  frame=$((frame + 1))
  if [ "$mode" = busy ]; then
    n=0
    while [ $n -lt $work ]; do n=$((n + 1)); done
  fi
  echo "frame $frame" >> "$output"
  printf "frame=%5d fps=%d q=28.0 size=%8dkB time=00:%02d:%02d.%02d bitrate= 512.0kbits/s speed=1.0x\r" \
    $frame $out_fps $((frame * 2)) $((frame / out_fps / 60 % 60)) $((frame / out_fps % 60)) \
    $(((frame % out_fps) * 100 / out_fps))
  if [ "$mode" = crash ] && [ $frame -ge $((out_frames / 2)) ]; then
    kill -SEGV $$
  fi
  if [ "$stop" -gt 0 ] && [ $frame -ge "$stop" ]; then
    printf "\nError while encoding frame %d\n" $frame
    exit "$exit_status"
  fi
  [ "$pace" != 0 ] && sleep "$pace"
done
printf "\nvideo:100kB audio:0kB subtitle:0kB\n"
echo complete >> "$output"
[ "$mode" = nooutput ] && rm -f "$output"
exit "$exit_status"
