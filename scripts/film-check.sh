#!/usr/bin/env bash
# A zoom film made as a user makes one: 48 frames zooming by 10^3 into the chaotic band, written
# as files with their rows kept, then streamed through a pipe into ffmpeg, whose film ffprobe
# must find 48 frames of the pictures' size. Then three frames and their rows are deleted and
# the command is run again: only those three are made, and every other file stays as it was.
# The first, middle and last frames must equal single renders of the commands they carry.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
scripts/install-deps.sh film
build_preset release corvalis-render >/dev/null
render=$PWD/build/bin/corvalis-render
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir frames rows

film=(--region 0 3 1 4 --zoom-to 0.5 3.9 0.501 3.901 --frames 48 --fit 160x120 --stripes 2)
"$render" "${film[@]}" --dry-run -o 'frames/f%05d.png' | sed -n '1,2p;$p'
made=$(now)
"$render" "${film[@]}" --quiet -o 'frames/f%05d.png' --rows 'rows/f%05d.rows'
took "48 frames, their rows kept" "$made"

echo "== The film through a pipe =="
streamed=$(now)
"$render" "${film[@]}" --quiet --rows 'rows/f%05d.rows' -o - |
  ffmpeg -loglevel error -f image2pipe -framerate 30 -i - -pix_fmt yuv420p zoom.mp4
took "the frames streamed from their rows into ffmpeg" "$streamed"
read -r width height < <(file frames/f00000.png | sed -n 's/.* \([0-9]*\) x \([0-9]*\),.*/\1 \2/p')
probed=$(ffprobe -v error -count_frames -select_streams v:0 \
  -show_entries stream=nb_read_frames,width,height -of csv=p=0 zoom.mp4)
echo "ffprobe: $probed (width,height,frames); the frames are $width x $height"
[ "$probed" = "$width,$height,48" ] || { echo "film-check: the film is not 48 frames of $width x $height" >&2; exit 1; }

echo "== Three frames deleted, the same command again =="
sha256sum frames/*.png >before
rm frames/f00010.png frames/f00020.png frames/f00030.png rows/f00010.rows rows/f00020.rows rows/f00030.rows
again=$(now)
"$render" "${film[@]}" -o 'frames/f%05d.png' --rows 'rows/f%05d.rows' 2>made.log
cat made.log
took "the three frames made again" "$again"
[ "$(grep -c 'written$' made.log)" -eq 3 ] && grep -q '48 frames: 3 written, 45 already complete' made.log &&
  sha256sum --quiet -c before || { echo "film-check: the run again did not make just the three frames" >&2; exit 1; }

echo "== Frames against single renders of the commands they carry =="
for frame in 0 24 47; do
  command=$("$render" "${film[@]}" --dry-run -o 'frames/f%05d.png' | sed -n "s/^frame $frame: corvalis-render //p")
  eval "\"$render\" ${command%% -o *} --quiet -o single.png"
  cmp single.png "$(printf 'frames/f%05d.png' "$frame")"
  echo "frame $frame: identical to its single render"
done
