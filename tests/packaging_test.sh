#!/usr/bin/env bash
# The program as it is shipped: the Windows resources compile, the icon holds its nine
# images, and an install holds the programs, a valid desktop entry and the icons, the manual
# pages and the completion, both in step with corvalis-render --help (its options and colour
# schemes), and valid software-centre data that launches the installed desktop entry.
set -u
source_dir=$1
build_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

res="$source_dir/src/res"
if x86_64-w64-mingw32-windres --preprocessor=cpp -I "$res" -I "$build_dir/src/res" -i "$res/corvalis.rc" \
     -O coff -o "$work/corvalis.res"; then
  # A 64-bit program names its own architecture and asks for the Common Controls of any.
  for text in "Corvalis.EXE" "1, 0, 0, 1" "Microsoft.Windows.Common-Controls" \
              'version="1.0.0.0" processorArchitecture="amd64"' 'version="6.0.0.0"' \
              'processorArchitecture="\*" publicKeyToken'; do
    # Version strings are stored as UTF-16, the manifest as it is written.
    if ! grep -q -a -e "$text" "$work/corvalis.res" &&
       ! grep -q -a -P "$(printf '%s' "$text" | sed 's/./&\\x00/g')" "$work/corvalis.res"; then
      fail "the compiled resources lack \"$text\""
    fi
  done
else
  fail "corvalis.rc does not compile"
fi

images=$(icotool -l "$res/corvalis.ico")
[ "$(echo "$images" | grep -c .)" -eq 9 ] || fail "corvalis.ico holds $(echo "$images" | grep -c .) images, not 9"
for size in 16 32 48; do
  for depth in 4 8 24; do
    echo "$images" | grep -q -- "--width=$size --height=$size --bit-depth=$depth" ||
      fail "corvalis.ico has no ${size}x$size image of $depth bits"
  done
done

cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null || fail "cmake --install failed"
for program in corvalis corvalis-render; do
  [ -x "$work/prefix/bin/$program" ] || fail "bin/$program is not installed"
done
desktop="$work/prefix/share/applications/corvalis.desktop"
if [ -f "$desktop" ]; then
  desktop-file-validate --no-hints "$desktop" || fail "the desktop entry is not valid"
else
  fail "no desktop entry installed"
fi
for size in 16 32 48 64 128 256; do
  icon="$work/prefix/share/icons/hicolor/${size}x$size/apps/corvalis.png"
  file "$icon" 2>/dev/null | grep -q "PNG image data, $size x $size" || fail "no ${size}x$size icon"
done

# Every option that --help shows is in the manual page and is completed, and no other.
prefix=$work/prefix
help_options=$("$prefix/bin/corvalis-render" --help | sed -n 's/^  \(-[^ ].*\)$/\1/p' | sed 's/  .*//' |
               grep -o -E -- '--?[a-z][a-z-]*' | sort)
man1=$prefix/share/man/man1
for page in corvalis corvalis-render; do
  gzip -t "$man1/$page.1.gz" 2>/dev/null || fail "no manual page $page(1)"
done
page_options=$(zcat "$man1/corvalis-render.1.gz" 2>/dev/null |
               awk '/^\.SH/ {inside = ($2 == "OPTIONS")} inside && /^\.RS/ {print item} {item = $0}' |
               grep -o -E -- '\\fB--?[a-z][a-z-]*' | sed 's/^\\fB//' | sort)
[ "$page_options" = "$help_options" ] ||
  fail "corvalis-render(1) and --help list different options:$(diff <(echo "$page_options") <(echo "$help_options"))"
# So are the colour schemes.
help_schemes=$("$prefix/bin/corvalis-render" --help | sed -n 's/^  --scheme \([^ ]*\).*/\1/p' | tr '|' '\n' | sort)
[ -n "$help_schemes" ] || fail "--help lists no colour schemes"
page_schemes=$(zcat "$man1/corvalis-render.1.gz" 2>/dev/null | sed -n 's/^\\fB--scheme\\fR //p' |
               grep -o -E '\\fB[a-z]+' | sed 's/^\\fB//' | sort)
[ "$page_schemes" = "$help_schemes" ] ||
  fail "corvalis-render(1) and --help list different schemes:$(diff <(echo "$page_schemes") <(echo "$help_schemes"))"
# The README's examples are the manual page's too.
page_text=$(zcat "$man1/corvalis-render.1.gz" 2>/dev/null | sed 's/\\&//g')
while IFS= read -r example; do
  grep -q -F -x -- "$example" <<<"$page_text" || fail "corvalis-render(1) lacks the README's example: $example"
done < <(sed -n 's|^build/bin/\(corvalis-render .*\)$|\1|p' "$source_dir/README.md")

# The completion, in a folder holding a picture, a text, a rows file, a NumPy file and a folder:
# the words offered for the last of the words given.
completion=$prefix/share/bash-completion/completions/corvalis-render
mkdir -p "$work/files/folder" &&
  touch "$work/files/picture.png" "$work/files/notes.txt" "$work/files/shard.rows" "$work/files/hits.npy"
completions() {
  (cd "$work/files" && bash -c 'source "$0" && function=$(complete -p corvalis-render | sed -n "s/.*-F \([^ ]*\).*/\1/p") &&
     COMP_WORDS=(corvalis-render "$@") && COMP_CWORD=$# && $function && printf "%s\n" "${COMPREPLY[@]}"' \
     "$completion" "$@" | sort)
}
[ "$(completions -)" = "$help_options" ] ||
  fail "the completion and --help offer different options:$(diff <(completions -) <(echo "$help_options"))"
[ "$(completions --sch)" = "--scheme" ] || fail "--sch completes to '$(completions --sch)'"
[ "$(completions --scheme '')" = "$help_schemes" ] ||
  fail "--scheme offers '$(completions --scheme '' | tr '\n' ' ')', not the schemes of --help"
help_shadings=$("$prefix/bin/corvalis-render" --help | sed -n 's/^  --shade \([^ ]*\).*/\1/p' | tr '|' '\n' | sort)
[ -n "$help_shadings" ] && [ "$(completions --shade '')" = "$help_shadings" ] ||
  fail "--shade offers '$(completions --shade '' | tr '\n' ' ')', not the shadings of --help"
[ "$(completions -o '' | tr '\n' ' ')" = "folder picture.png " ] || fail "-o offers '$(completions -o '' | tr '\n' ' ')'"
[ "$(completions --counts '' | tr '\n' ' ')" = "folder hits.npy " ] ||
  fail "--counts offers '$(completions --counts '' | tr '\n' ' ')'"
[ "$(completions --from shard.rows '' | tr '\n' ' ')" = "folder shard.rows " ] ||
  fail "a second file of --from offers '$(completions --from shard.rows '' | tr '\n' ' ')'"

metainfo=$(ls "$prefix"/share/metainfo/*.metainfo.xml 2>/dev/null)
if [ -f "$metainfo" ]; then
  appstreamcli validate --no-net "$metainfo" >"$work/validate" 2>&1 || { cat "$work/validate"; fail "the metainfo is not valid"; }
  launched=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")
  [ -f "$prefix/share/applications/$launched" ] || fail "the metainfo launches '$launched', which is not installed"
else
  fail "no metainfo installed"
fi

[ "$failures" -eq 0 ] && echo "packaging: all checks passed"
exit "$failures"
