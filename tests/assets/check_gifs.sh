#!/bin/sh
# check_gifs.sh <assets dir> <identify> <gifsicle>
# Every GIF under gif/ and named/ must decode with ImageMagick and with gifsicle;
# 606 must have five frames shown for 400, 300, 300, 200 and 200 ms.
set -u
dir=$1 identify=$2 gifsicle=$3
fail=0 count=0
for f in "$dir"/gif/*.gif "$dir"/named/*.gif; do
  [ -e "$f" ] || { echo "no GIF files under $dir"; exit 1; }
  count=$((count + 1))
  if ! "$identify" -regard-warnings "$f" >/dev/null 2>&1; then
    echo "identify rejects $f"; fail=1
  fi
  # gifsicle may exit 0 on a damaged file while listing no image, so look for one
  if ! "$gifsicle" --info "$f" 2>/dev/null | grep -q '^  + image #0 '; then
    echo "gifsicle reads no image from $f"; fail=1
  fi
done
anim="$dir/gif/606.gif"
delays=$("$identify" -format '%T ' "$anim" 2>/dev/null)
if [ "$delays" != "40 30 30 20 20 " ]; then
  echo "606: frame delays (centiseconds) are '$delays', expected '40 30 30 20 20 '"; fail=1
fi
frames=$("$gifsicle" --info "$anim" 2>/dev/null | sed -n '1s/.* \([0-9]*\) images*$/\1/p')
if [ "$frames" != "5" ]; then
  echo "606: gifsicle counts '$frames' frames, expected 5"; fail=1
fi
echo "$count GIF files checked"
exit $fail
