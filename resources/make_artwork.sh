#!/bin/sh
# Draws the program's own artwork with ImageMagick and writes the PNGs beside this script:
#   129.png (32 x 32) and 129-16.png (16 x 16): the application icon, a chip in a lever socket
#   132.png (88 x 76): the main window's picture, the same socket on a board
#   138.png (64 x 64): the busy window's picture, a chip under a flame
# The PNGs are committed; run this again only to change the drawings.
set -eu
cd "$(dirname "$0")"
convert=${CONVERT:-convert}

socket=#2b4c9b
socket_edge=#17295a
chip=#1b1b1b
pin=#c9c9c9
lever=#b3261e

# One row of socket holes: x from $1 in steps of 8, four of them, at height $2.
holes() {
  for i in 0 1 2 3; do
    x=$(($1 + i * 8))
    printf "rectangle %d,%d %d,%d " "$x" "$2" $((x + 4)) $(($2 + 3))
  done
}
# Four chip pins of width 5 from x $1 in steps of 10, between heights $2 and $3.
pins() {
  for i in 0 1 2 3; do
    x=$(($1 + i * 10))
    printf "rectangle %d,%d %d,%d " "$x" "$2" $((x + 5)) "$3"
  done
}

"$convert" -size 88x76 xc:none \
  -fill '#3d7a45' -stroke '#25502b' -draw 'roundrectangle 1,34 86,74 5,5' \
  -fill '#d8b24a' -stroke none -draw 'circle 6,69 6,67 circle 81,69 81,67' \
  -fill "$socket" -stroke "$socket_edge" -draw 'roundrectangle 16,24 82,66 3,3' \
  -fill '#0d1733' -stroke none -draw "$(holes 31 27) $(holes 31 61)" \
  -fill "$pin" -stroke '#7a7a7a' -draw "$(pins 29 28 34) $(pins 29 56 62)" \
  -fill "$chip" -stroke '#000000' -draw 'rectangle 25,33 71,57' \
  -fill "$socket" -stroke none -draw 'circle 25,45 28,45' \
  -fill '#e6e6e6' -draw 'circle 31,52 32,52' \
  -fill '#5a5a5a' -stroke '#2a2a2a' -draw 'rectangle 8,56 20,64' \
  -fill "$lever" -stroke '#6e1410' -draw 'rectangle 11,6 15,60' \
  -fill '#e04a3c' -stroke '#6e1410' -draw 'circle 13,6 13,1' \
  132.png

"$convert" -size 32x32 xc:none \
  -fill "$socket" -stroke "$socket_edge" -draw 'roundrectangle 6,8 31,30 2,2' \
  -fill "$pin" -stroke none -draw 'rectangle 11,9 13,12 rectangle 17,9 19,12 rectangle 23,9 25,12
                                   rectangle 11,26 13,29 rectangle 17,26 19,29 rectangle 23,26 25,29' \
  -fill "$chip" -stroke '#000000' -draw 'rectangle 9,12 28,26' \
  -fill '#e6e6e6' -stroke none -draw 'circle 12,23 13,23' \
  -fill "$lever" -stroke '#6e1410' -draw 'rectangle 1,3 4,29' \
  -fill '#e04a3c' -draw 'circle 2,3 2,0' \
  129.png
"$convert" 129.png -resize 16x16 129-16.png

"$convert" -size 64x64 xc:none \
  -fill '#f08a1c' -stroke '#b3501a' -draw 'path "M 32,2 C 42,14 50,20 46,32 C 44,38 38,40 32,40 C 24,40 18,36 18,28 C 18,20 26,16 32,2 Z"' \
  -fill '#ffd84a' -stroke none -draw 'path "M 32,16 C 38,24 40,28 38,33 C 36,36 28,36 26,32 C 24,28 28,24 32,16 Z"' \
  -fill "$pin" -stroke '#7a7a7a' -draw 'rectangle 16,36 20,42 rectangle 26,36 30,42 rectangle 36,36 40,42 rectangle 46,36 50,42
                                        rectangle 16,56 20,62 rectangle 26,56 30,62 rectangle 36,56 40,62 rectangle 46,56 50,62' \
  -fill "$chip" -stroke '#000000' -draw 'rectangle 10,41 56,57' \
  -fill '#e6e6e6' -stroke none -draw 'circle 15,53 16,53' \
  138.png
