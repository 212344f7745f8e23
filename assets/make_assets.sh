#!/usr/bin/env bash
# Remakes the program's small pictures and its desktop entry next to this script.
# Needs ImageMagick's convert (Debian: apt-get install imagemagick) and awk.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$here"
mkdir -p icons

command -v convert >/dev/null || {
    echo "make_assets.sh: ImageMagick's convert is missing (apt-get install imagemagick)" >&2
    exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# No time stamps or other metadata, so a rerun gives the same bytes.
png_out=(-strip -define 'png:exclude-chunks=date,time' -define png:color-type=6 -define png:bit-depth=8)

folder_back='#d79a12'
folder_front='#f6c838'
folder_edge='#a8740a'
window_bg='rgb(208,208,201)'

# A yellow folder with its left edge at x and top at y (40x32): back and tab only.
folder_back() {
    local x=$1 y=$2
    cat <<EOF
stroke $folder_edge stroke-width 1 fill $folder_back
path 'M $x,$((y + 31)) L $x,$((y + 1)) L $((x + 14)),$((y + 1)) L $((x + 18)),$((y + 5)) L $((x + 39)),$((y + 5)) L $((x + 39)),$((y + 31)) Z'
EOF
}

# The front flap, drawn over the page so the page seems to go in and out.
folder_front() {
    local x=$1 y=$2
    cat <<EOF
stroke $folder_edge stroke-width 1 fill $folder_front
path 'M $x,$((y + 31)) L $((x + 2)),$((y + 11)) L $((x + 39)),$((y + 11)) L $((x + 39)),$((y + 31)) Z'
EOF
}

# A 14x18 page with a folded corner and four text lines, centred on 0,0.
page() {
    cat <<'EOF'
stroke '#5a5a5a' stroke-width 1 fill white
path 'M -7,-9 L 3,-9 L 7,-5 L 7,9 L -7,9 Z'
fill '#d8d8d8'
path 'M 3,-9 L 3,-5 L 7,-5 Z'
stroke '#7a8aa0' fill none
line -4,-2 4,-2
line -4,1 4,1
line -4,4 4,4
line -4,7 1,7
EOF
}

# --- filecopy.gif: a page flying from one folder to the other -------------
frames=10
left_x=8
right_x=152
folder_y=22
for ((i = 0; i < frames; i++)); do
    # Along an arc from inside the left folder to inside the right one, tilting as it goes.
    read -r cx cy angle < <(awk -v i="$i" -v n="$frames" 'BEGIN {
        t = i / (n - 1); pi = atan2(0, -1)
        printf "%.2f %.2f %.1f\n", 28 + 144 * t, 36 - 24 * sin(pi * t), -25 + 50 * t }')
    {
        folder_back $left_x $folder_y
        folder_back $right_x $folder_y
        echo "push graphic-context"
        echo "translate $cx,$cy"
        echo "rotate $angle"
        page
        echo "pop graphic-context"
        folder_front $left_x $folder_y
        folder_front $right_x $folder_y
    } >"$work/frame.mvg"
    convert -size 200x60 "xc:$window_bg" -draw "$(<"$work/frame.mvg")" "$work/frame_$(printf %02d "$i").png"
done
# One shared palette without dithering keeps the folders still between frames, so the
# optimiser only stores the moving page.
convert "$work"/frame_*.png -append +dither -colors 64 -unique-colors "$work/palette.png"
convert -delay 10 -loop 0 "$work"/frame_*.png +dither -remap "$work/palette.png" -layers Optimize -strip filecopy.gif

# --- copy_cursor.png: arrow pointer with a page at its lower right -----------
# Hot spot is the arrow tip at pixel 0,0.
cat >"$work/cursor.mvg" <<'EOF'
stroke black stroke-width 1 fill white
path 'M 0,0 L 0,17 L 4,13 L 7,20 L 10,19 L 7,12 L 12,12 Z'
push graphic-context
translate 22,21
stroke black stroke-width 1 fill white
path 'M -7,-9 L 2,-9 L 7,-4 L 7,9 L -7,9 Z'
fill '#c8c8c8'
path 'M 2,-9 L 2,-4 L 7,-4 Z'
stroke '#404040'
line -4,-1 1,-1
line -4,2 4,2
line -4,5 4,5
pop graphic-context
EOF
convert -size 32x32 xc:none -draw "$(<"$work/cursor.mvg")" "${png_out[@]}" PNG32:copy_cursor.png

# --- orvessa.png: yellow disc with two overlapping dark-outlined pages ------
cat >"$work/icon.mvg" <<'EOF'
stroke '#b8860b' stroke-width 2 fill '#f7c51e'
circle 32,32 32,3
stroke '#2b2b2b' stroke-width 3 stroke-linejoin round
fill '#f7c51e'
path 'M 17,13 L 32,13 L 38,19 L 38,42 L 17,42 Z'
fill '#fde8a0'
path 'M 27,22 L 39,22 L 47,30 L 47,51 L 27,51 Z'
fill '#e8b830' stroke-width 2
polygon 39,22 39,30 47,30
stroke-width 2 stroke-linecap round
line 31,34.5 42,34.5
line 31,39.5 42,39.5
line 31,44.5 38,44.5
EOF
convert -size 64x64 xc:none -draw "$(<"$work/icon.mvg")" "${png_out[@]}" PNG32:orvessa.png
# The same picture drawn at the splash window's 300x300, not scaled up from the icon.
convert -size 300x300 xc:none -draw "scale 4.6875,4.6875 $(<"$work/icon.mvg")" "${png_out[@]}" \
    PNG32:splash.png

# The desktop's icon sizes, each drawn at its size; the scalable one is icons/*.svg.
for size in 48 128 256; do
    convert -size ${size}x${size} xc:none -draw "scale $(awk -v s=$size 'BEGIN { printf "%g,%g", s / 64, s / 64 }') $(<"$work/icon.mvg")" \
        "${png_out[@]}" PNG32:icons/${size}x${size}.png
done

# --- the desktop entry and the one copied to start with the session ------
cat >org.orvessa.Orvessa.desktop <<'EOF'
[Desktop Entry]
Type=Application
Name=Orvessa
GenericName=Backup Tool
Comment=Automatic backups
Exec=orvessa
Icon=org.orvessa.Orvessa
Terminal=false
Categories=Utility;Archiving;
Keywords=backup;copy;schedule;
StartupNotify=true
EOF
mkdir -p autostart
cat >autostart/org.orvessa.Orvessa.desktop <<'EOF'
[Desktop Entry]
Type=Application
Name=Orvessa
Comment=Automatic backups
Exec=orvessa
Icon=org.orvessa.Orvessa
Terminal=false
NoDisplay=true
X-GNOME-Autostart-enabled=true
EOF

echo "made filecopy.gif copy_cursor.png orvessa.png splash.png icons/*.png and the desktop entries in $here"
