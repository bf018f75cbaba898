#!/usr/bin/env bash
# Draws the program's pictures with ImageMagick and writes them to
# res/pictures. Run by hand when a picture changes; the results are committed.
set -euo pipefail
cd "$(dirname "$0")/../res/pictures"
IM=/usr/bin/convert
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
FONT=DejaVu-Sans-Bold
KEY='#FF00FF'   # image-list mask colour

# --- History section icons, 16 x 16: the strip of the History tree, indexes
# as the section catalogue gives them (unused places get a plain dot).
# `bash tools/make_pictures.sh hssections` draws only this strip.
hs_icons() {
  local n
  hs_dot() { $IM -size 16x16 xc:none -fill '#B8BEC6' -stroke '#7D858F' -draw 'circle 7.5,7.5 7.5,4' "$tmp/h$1.png"; }
  # A rounded badge in a colour with a letter: the applications' own lists.
  hs_badge() {
    $IM -size 16x16 xc:none -fill "$2" -stroke "$3" -draw 'roundrectangle 0,0 15,15 3,3' -stroke none \
      -fill '#FFFFFF' -font $FONT -pointsize 11 -gravity center -annotate +0+0 "$4" "$tmp/h$1.png"
  }
  hs_draw() { local i=$1; shift; $IM -size 16x16 xc:none "$@" "$tmp/h$i.png"; }
  local PAGE16=(-fill '#FFFFFF' -stroke '#5A6672' -draw 'polygon 2,0 10,0 13,3 13,15 2,15')
  local FOLDER=(-fill '#FFC94A' -stroke '#A7771A' -draw 'polygon 0,3 5,3 7,5 15,5 15,14 0,14')
  for n in $(seq 0 55); do hs_dot $n; done
  hs_draw 0 -fill '#FFFFFF' -stroke '#3A4553' -draw 'circle 7.5,7.5 7.5,0.5' -draw 'line 7.5,7.5 7.5,3' -draw 'line 7.5,7.5 11,9'
  hs_draw 1 -fill '#3A8EE6' -stroke '#1D5DA3' -draw 'circle 7.5,7.5 7.5,0.5' -stroke '#FFFFFF' -fill none -draw 'ellipse 7.5,7.5 7,3 0,360' -draw 'line 7.5,1 7.5,14'
  hs_draw 2 "${PAGE16[@]}" -fill '#3A8EE6' -stroke '#1D5DA3' -draw 'circle 8.5,10 8.5,6'
  hs_draw 3 "${FOLDER[@]}" -fill '#2F6FBF' -stroke none -draw 'polygon 8,6 8,9 5,9 9,13 13,9 10,9 10,6'
  hs_draw 4 -fill '#C8D2DC' -stroke '#5A6672' -draw 'ellipse 7.5,3 6,2.5 0,360' -draw 'rectangle 1.5,3 13.5,12' -draw 'ellipse 7.5,12 6,2.5 0,180'
  hs_draw 5 -fill '#FF8A1E' -stroke '#B3530A' -draw 'circle 7.5,7.5 7.5,0.5' -fill '#3A5BA8' -stroke none -draw 'circle 8.5,8.5 8.5,4.5'
  hs_badge 7 '#A4373A' '#6E1F21' A
  hs_badge 8 '#1F7A44' '#12502B' X
  hs_badge 9 '#2B64B5' '#1A3F75' F
  hs_badge 12 '#D2572A' '#8E3517' P
  hs_badge 13 '#138A86' '#0B5754' P
  hs_draw 14 -fill '#3E7BD6' -stroke '#1D4A8F' -draw 'circle 7.5,7.5 7.5,0.5' -fill '#FFFFFF' -stroke none -draw 'polygon 5,4 12,7.5 5,11'
  hs_badge 15 '#2B579A' '#1A3660' W
  hs_draw 16 -fill '#E8F1FB' -stroke '#33404E' -strokewidth 2 -draw 'circle 6,6 6,2' -stroke '#C98A1B' -strokewidth 3 -draw 'line 9,9 14,14'
  hs_draw 17 "${PAGE16[@]}" -fill '#FFFFFF' -stroke '#2F6FBF' -draw 'circle 9,10 9,6' -draw 'line 9,10 9,8' -draw 'line 9,10 11,10'
  hs_draw 18 -fill '#3A4553' -stroke '#1B2129' -draw 'roundrectangle 0,2 15,13 2,2' -fill none -stroke '#7CFC7C' -draw 'polyline 3,5 6,7.5 3,10' -draw 'line 8,10 12,10'
  hs_draw 19 "${PAGE16[@]}" -stroke '#2F6FBF' -draw 'line 4,4 11,4' -draw 'line 4,7 11,7' -draw 'line 4,10 11,10' -draw 'line 4,13 9,13'
  hs_draw 20 -fill '#F4E3C1' -stroke '#8C6A2E' -draw 'ellipse 7.5,8 7,6 0,360' -fill '#E0483C' -stroke none -draw 'circle 4,6 4,4.5' -fill '#3A8EE6' -draw 'circle 8,4.5 8,3' -fill '#4CAF50' -draw 'circle 11.5,7 11.5,5.5'
  hs_draw 21 "${FOLDER[@]}" -fill '#8C6A2E' -stroke none -draw 'rectangle 4,8 11,9' -draw 'rectangle 4,11 9,12'
  hs_draw 22 -fill '#FFE39A' -stroke '#A7771A' -draw 'polygon 0,3 5,3 7,5 13,5 13,7 3,7 0,14' -fill '#FFD35E' -draw 'polygon 3,8 15,8 12,14 0,14'
  hs_draw 23 -fill '#E0B23A' -stroke '#8C6A12' -draw 'circle 4.5,7.5 4.5,3.5' -draw 'rectangle 8,6.5 15,8.5' -draw 'rectangle 12,8 13.5,11'
  hs_draw 24 -fill '#C49A6C' -stroke '#7A5A35' -draw 'roundrectangle 1,1 14,15 2,2' -fill '#FFFFFF' -stroke '#5A6672' -draw 'rectangle 3,3 12,13' -fill '#7D858F' -stroke none -draw 'rectangle 5,0 10,3'
  hs_draw 25 -fill '#D8DEE4' -stroke '#5A6672' -draw 'polygon 2,3 13,3 12,15 3,15' -draw 'line 1,3 14,3' -stroke '#4CAF50' -draw 'line 5,6 5,13' -draw 'line 7.5,6 7.5,13' -draw 'line 10,6 10,13'
  hs_badge 27 '#1E5BB8' '#123A78' R
  hs_draw 29 "${PAGE16[@]}" -fill '#FF8A1E' -stroke '#B3530A' -draw 'circle 8.5,10 8.5,6'
  hs_draw 31 -fill '#E0483C' -stroke none -draw 'rectangle 1,1 7,7' -fill '#4CAF50' -draw 'rectangle 8,1 14,7' -fill '#3A8EE6' -draw 'rectangle 1,8 7,14' -fill '#FFC94A' -draw 'rectangle 8,8 14,14'
  hs_draw 32 -fill '#F2F2F2' -stroke '#5A6672' -draw 'roundrectangle 0,4 15,13 2,2' -fill '#5A6672' -stroke none -draw 'rectangle 2,6 3,7' -draw 'rectangle 5,6 6,7' -draw 'rectangle 8,6 9,7' -draw 'rectangle 11,6 12,7' -draw 'rectangle 4,10 11,11'
  hs_draw 33 -fill '#C49A6C' -stroke '#7A5A35' -draw 'rectangle 1,6 14,15' -fill '#2F6FBF' -stroke none -draw 'polygon 6,0 9,0 9,4 12,4 7.5,9 3,4 6,4'
  hs_draw 34 -fill '#3A4553' -stroke '#1B2129' -draw 'rectangle 0,2 15,13' -fill '#FFFFFF' -stroke none -draw 'rectangle 1,3 2,4' -draw 'rectangle 1,11 2,12' -draw 'rectangle 13,3 14,4' -draw 'rectangle 13,11 14,12' -fill '#FFA200' -draw 'rectangle 4,4 11,11'
  hs_draw 36 -fill '#C8D2DC' -stroke '#5A6672' -draw 'circle 7.5,7.5 7.5,0.5' -fill '#FFFFFF' -draw 'circle 7.5,7.5 7.5,5.5' -fill '#7E57C2' -stroke none -draw 'circle 7.5,7.5 7.5,6.5'
  hs_draw 39 -fill '#7D858F' -stroke '#3A4553' -draw 'rectangle 2,1 13,14' -fill '#FFC94A' -stroke none -draw 'rectangle 7,1 8,14' -fill '#3A4553' -draw 'rectangle 6,8 9,11'
  hs_draw 40 -fill '#7E57C2' -stroke '#4A2F80' -draw 'rectangle 1,1 14,4' -fill '#E0483C' -stroke '#8E2119' -draw 'rectangle 1,6 14,9' -fill '#3A8EE6' -stroke '#1D5DA3' -draw 'rectangle 1,11 14,14'
  hs_badge 41 '#2E7D32' '#1B5E20' J
  hs_draw 47 -fill '#C49A6C' -stroke '#7A5A35' -draw 'rectangle 1,4 14,15' -draw 'polygon 0,4 3,1 12,1 15,4' -fill '#7A5A35' -stroke none -draw 'rectangle 6,6 9,8'
  hs_badge 48 '#D83B01' '#8E2700' O
  hs_draw 49 -fill '#4CAF50' -stroke '#2E7031' -draw 'polygon 1,5 5,5 5,2 9,2 9,5 13,5 13,9 15,9 15,13 13,13 13,15 1,15'
  hs_badge 54 '#1E88E5' '#0D5BA8' Q
  hs_draw 55 -fill '#3A4553' -stroke '#1B2129' -draw 'roundrectangle 0,0 15,15 3,3' -fill '#FFC94A' -stroke none -draw 'polygon 9,1 3,9 7,9 5,15 12,6 8,6'
  local parts=()
  for n in $(seq 0 55); do parts+=("$tmp/h$n.png"); done
  $IM -background none "${parts[@]}" +append \
    -channel A -threshold 50% +channel -background "$KEY" -alpha remove -alpha off BMP3:hssections.bmp
}
if [ "${1:-}" = hssections ]; then hs_icons; echo "hssections.bmp written to $(pwd)"; exit 0; fi

# --- title strip -----------------------------------------------------------
# The current page's button shows neither picture, so the title image holds the
# "current" look of all four buttons at their places.
$IM -size 800x68 gradient:'#2B3440'-'#11161D' \
  -fill '#E0DFE3' -draw 'rectangle 0,66 800,68' \
  -fill '#FFA200' -draw 'polygon 22,14 44,14 34,52 12,52' \
  -fill '#FFFFFF' -font $FONT -pointsize 30 -annotate +54+44 'Orvelin' \
  -fill '#9AA7B6' -font DejaVu-Sans -pointsize 11 -annotate +56+60 'start-up, registry and history care' \
  "$tmp/title.png"
x=256
for label in StartUp Registry History About; do
  $IM "$tmp/title.png" \
    -fill '#E0DFE3' -draw "roundrectangle $x,44 $((x+128)),72 5,5" \
    -fill '#FFA200' -draw "rectangle $((x+8)),44 $((x+120)),46" \
    -fill '#1B2129' -font $FONT -pointsize 12 -gravity NorthWest \
    -annotate +$((x + 64 - ${#label} * 4))+49 "$label" "$tmp/title.png"
  x=$((x + 135))
done
$IM "$tmp/title.png" BMP3:title.bmp
$IM "$tmp/title.png" -crop 8x68+792+0 +repage BMP3:titleline.bmp

# Title buttons: "hot" lights up under the pointer, "dis" rests dimmed.
for label in StartUp Registry History About; do
  lower=$(echo "$label" | tr 'A-Z' 'a-z')
  offset=$((64 - ${#label} * 4))
  $IM -size 129x23 gradient:'#56677B'-'#2F3A47' \
    -fill none -stroke '#FFA200' -draw 'roundrectangle 0,0 128,28 5,5' -stroke none \
    -fill '#FFFFFF' -font $FONT -pointsize 12 -annotate +$offset+16 "$label" \
    BMP3:btn_${lower}_hot.bmp
  $IM -size 129x23 gradient:'#3A4553'-'#252D37' \
    -fill none -stroke '#4A5666' -draw 'roundrectangle 0,0 128,28 5,5' -stroke none \
    -fill '#A9B4C1' -font $FONT -pointsize 12 -annotate +$offset+16 "$label" \
    BMP3:btn_${lower}_dis.bmp
done

# --- tool bar, 32 x 32 ------------------------------------------------------
draw32() {  # name, ImageMagick draw arguments...
  local name=$1; shift
  $IM -size 32x32 xc:none -strokewidth 2 "$@" "$tmp/$name.png"
}
PAGE=(-fill '#FFFFFF' -stroke '#50606F' -draw 'polygon 7,3 21,3 26,8 26,29 7,29')
draw32 report "${PAGE[@]}" -stroke '#3A78C2' -draw 'line 11,11 22,11' -draw 'line 11,16 22,16' -draw 'line 11,21 22,21' -draw 'line 11,25 18,25'
draw32 update -fill none -stroke '#2E8B3E' -strokewidth 3 -draw 'arc 6,6 26,26 200,520' -fill '#2E8B3E' -stroke none -draw 'polygon 22,2 29,9 20,12'
draw32 add -fill '#2E9E44' -stroke '#1D6B2D' -draw 'roundrectangle 4,4 28,28 6,6' -stroke '#FFFFFF' -strokewidth 4 -draw 'line 16,9 16,23' -draw 'line 9,16 23,16'
draw32 delete -fill '#D23A2E' -stroke '#8E2119' -draw 'roundrectangle 4,4 28,28 6,6' -stroke '#FFFFFF' -strokewidth 4 -draw 'line 10,10 22,22' -draw 'line 22,10 10,22'
draw32 onoff -fill '#F2F2F2' -stroke '#50606F' -draw 'circle 16,16 16,3' -fill none -stroke '#2E8B3E' -strokewidth 3 -draw 'arc 8,8 24,24 300,600' -draw 'line 16,6 16,16'
draw32 edit "${PAGE[@]}" -stroke '#C98A1B' -strokewidth 4 -draw 'line 13,24 27,10' -stroke '#50606F' -strokewidth 1 -fill '#50606F' -draw 'polygon 10,27 12,22 15,25'
draw32 info -fill '#2F6FBF' -stroke '#1D4A82' -draw 'circle 16,16 16,3' -fill '#FFFFFF' -stroke none -draw 'circle 16,10 16,8' -draw 'rectangle 14,14 18,25'
draw32 backup -fill '#5A6F86' -stroke '#33404E' -draw 'roundrectangle 4,6 28,28 3,3' -fill '#DDE5EE' -stroke none -draw 'rectangle 9,6 23,14' -fill '#FFA200' -draw 'polygon 16,16 23,23 19,23 19,27 13,27 13,23 9,23'
draw32 scan -fill '#E8F1FB' -stroke '#33404E' -strokewidth 3 -draw 'circle 13,13 13,4' -stroke '#C98A1B' -strokewidth 5 -draw 'line 20,20 28,28'
draw32 fix -fill '#F2F2F2' -stroke '#50606F' -draw 'roundrectangle 4,4 28,28 6,6' -stroke '#2E8B3E' -strokewidth 4 -fill none -draw 'polyline 9,16 14,22 23,10'
draw32 fixall -fill '#F2F2F2' -stroke '#50606F' -draw 'roundrectangle 2,2 24,24 5,5' -draw 'roundrectangle 8,8 30,30 5,5' -stroke '#2E8B3E' -strokewidth 4 -fill none -draw 'polyline 12,19 17,25 26,13'
draw32 selnone -fill '#FFFFFF' -stroke '#50606F' -draw 'rectangle 6,6 26,26'
draw32 selall -fill '#FFFFFF' -stroke '#50606F' -draw 'rectangle 6,6 26,26' -stroke '#2F6FBF' -strokewidth 4 -fill none -draw 'polyline 10,16 15,21 23,10'
draw32 deleteall -fill '#E88A82' -stroke '#8E2119' -draw 'roundrectangle 2,2 24,24 5,5' -fill '#D23A2E' -draw 'roundrectangle 8,8 30,30 5,5' -stroke '#FFFFFF' -strokewidth 4 -draw 'line 14,14 24,24' -draw 'line 24,14 14,24'
ORDER="report update add delete onoff edit info backup scan fix fixall selnone selall delete deleteall"

strip() {  # output, size, variant(normal|dis), names...
  local out=$1 size=$2 variant=$3; shift 3
  local parts=()
  for n in "$@"; do
    if [ "$variant" = dis ]; then
      $IM "$tmp/$n.png" -colorspace gray -fill '#C8C8C8' -colorize 35% "$tmp/$n-dis.png"
      parts+=("$tmp/$n-dis.png")
    else
      parts+=("$tmp/$n.png")
    fi
  done
  # A hard alpha edge: image lists mask one exact colour, so soft edges
  # would show a fringe of it.
  $IM -background none "${parts[@]}" -resize ${size}x${size} +append \
    -channel A -threshold 50% +channel \
    -background "$KEY" -alpha remove -alpha off BMP3:$out
}
strip toolbar.bmp 32 normal $ORDER
strip toolbar_dis.bmp 32 dis $ORDER
# Small menu icons, same order as the tool bar.
strip small.bmp 16 normal $ORDER

# --- StartUp section icons, 16 x 16: present, expanded group, absent -------
$IM -size 16x16 xc:none -fill '#FFC94A' -stroke '#A7771A' -draw 'polygon 1,3 6,3 8,5 15,5 15,14 1,14' "$tmp/s_present.png"
$IM -size 16x16 xc:none -fill '#FFE39A' -stroke '#A7771A' -draw 'polygon 1,3 6,3 8,5 13,5 13,7 4,7 1,14' -fill '#FFD35E' -draw 'polygon 4,8 16,8 13,14 1,14' "$tmp/s_open.png"
$IM -size 16x16 xc:none -fill '#E4E4E4' -stroke '#A0A0A0' -draw 'polygon 1,3 6,3 8,5 15,5 15,14 1,14' "$tmp/s_absent.png"
$IM -background none "$tmp/s_present.png" "$tmp/s_open.png" "$tmp/s_absent.png" +append \
  -channel A -threshold 50% +channel -background "$KEY" -alpha remove -alpha off BMP3:susections.bmp

# --- Registry section icons, 16 x 16: not scanned, problems, scanning or
# stopped, (unused), no problems -- indexes as the page sets them.
rg_icons() {
  $IM -size 16x16 xc:none -fill '#D8D8D8' -stroke '#8C8C8C' -draw 'circle 7.5,7.5 7.5,1' \
    -stroke none -fill '#6E6E6E' -font $FONT -pointsize 10 -annotate +4+12 '?' "$tmp/r0.png"
  $IM -size 16x16 xc:none -fill '#E0483C' -stroke '#9A231A' -draw 'circle 7.5,7.5 7.5,1' \
    -stroke '#FFFFFF' -strokewidth 2 -draw 'line 5,5 10,10' -draw 'line 10,5 5,10' "$tmp/r1.png"
  $IM -size 16x16 xc:none -fill '#FFC94A' -stroke '#A7771A' -draw 'circle 7.5,7.5 7.5,1' \
    -stroke '#5A4300' -draw 'line 7.5,7.5 7.5,3' -draw 'line 7.5,7.5 11,7.5' "$tmp/r2.png"
  cp "$tmp/r0.png" "$tmp/r3.png"
  $IM -size 16x16 xc:none -fill '#4CAF50' -stroke '#2E7031' -draw 'circle 7.5,7.5 7.5,1' \
    -stroke '#FFFFFF' -strokewidth 2 -fill none -draw 'polyline 4,8 7,11 11,4' "$tmp/r4.png"
  $IM -background none "$tmp"/r0.png "$tmp"/r1.png "$tmp"/r2.png "$tmp"/r3.png "$tmp"/r4.png +append \
    -channel A -threshold 50% +channel -background "$KEY" -alpha remove -alpha off BMP3:rgsections.bmp
}
rg_icons
hs_icons

# --- program icon ----------------------------------------------------------
for s in 16 32 48; do
  $IM -size 48x48 xc:none -fill '#1B2129' -draw 'roundrectangle 1,1 46,46 9,9' \
    -fill '#FFA200' -draw 'polygon 18,8 34,8 28,40 12,40' -resize ${s}x${s} "$tmp/app$s.png"
done
$IM "$tmp/app16.png" "$tmp/app32.png" "$tmp/app48.png" orvelin.ico
echo "pictures written to $(pwd)"
