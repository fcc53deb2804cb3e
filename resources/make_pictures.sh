#!/usr/bin/env bash
# Draws the two pictures of the picture windows:
#   form2.jpg (700 x 347)  the game's hardware configurations in four grades
#   form3.jpg (587 x 760)  the author's laptop with its ranking scores, the
#                          game's minimum configuration and two desktop builds
# Every score in form3.jpg is read from the program's own ranking lists
# (data/cpu.txt, data/gpu.txt) by its exact description; a description that
# the lists do not hold stops the script.
# Output: baseline JFIF JPEG, three components, no metadata.
# Needs ImageMagick (convert) and fonts-wqy-zenhei.
# Usage: resources/make_pictures.sh [OUTPUT_DIR]   (default: resources/)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
out=${1:-$here}
font=/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc
[ -f "$font" ] || { echo "missing font $font (fonts-wqy-zenhei)" >&2; exit 1; }
command -v convert >/dev/null || { echo "missing ImageMagick convert" >&2; exit 1; }

# ---- ranking look-up -----------------------------------------------------------

# row LIST DESCRIPTION: prints "<number field> <score>" of the row whose
# description field is exactly DESCRIPTION.
row() {
  local list=$root/data/$1.txt
  awk -F'|' -v want="$2" '
    { d = $3; sub(/ +$/, "", d); n = $2; sub(/ +$/, "", n); s = $4; sub(/^ +/, "", s)
      if (d == want) { print n, s; found = 1; exit } }
    END { if (!found) exit 1 }' "$list" || { echo "not in data/$1.txt: $2" >&2; exit 1; }
}
score() { local r; r=$(row "$1" "$2"); echo "${r#* }"; }
rank() { local r; r=$(row "$1" "$2"); echo "${r%% *}"; }

# ---- drawing helpers -------------------------------------------------------------
# Each helper appends ImageMagick operations to the array `ops`; `render`
# runs them on a canvas and writes the JPEG.

ops=()
# rect X Y W H COLOUR
rect() { ops+=(-fill "$5" -stroke none -draw "rectangle $1,$2 $(($1 + $3 - 1)),$(($2 + $4 - 1))"); }
# rrect X Y W H R FILL [STROKE]
rrect() {
  ops+=(-fill "$6" -stroke "${7:-none}" -strokewidth 1
        -draw "roundrectangle $1,$2 $(($1 + $3 - 1)),$(($2 + $4 - 1)) $5,$5" -stroke none)
}
# hline X1 X2 Y COLOUR / vline X Y1 Y2 COLOUR
hline() { ops+=(-fill "$4" -stroke none -draw "rectangle $1,$3 $2,$3"); }
vline() { ops+=(-fill "$4" -stroke none -draw "rectangle $1,$2 $1,$3"); }
# text X Y W H GRAVITY SIZE COLOUR TEXT [bold]
# Places TEXT (may hold \n) in the box, aligned by GRAVITY (West, Center, East...).
text() {
  local bold=()
  if [ "${9:-}" = bold ]; then bold=(-stroke "$7" -strokewidth 0.45); fi
  ops+=( \( -size "$3x$4" -background none -font "$font" -pointsize "$6" -fill "$7"
            "${bold[@]}" -gravity "$5" -interline-spacing 3 "label:$8" \)
         -gravity NorthWest -geometry "+$1+$2" -composite )
}
# grad X Y W H TOP BOTTOM: a vertical gradient
grad() {
  ops+=( \( -size "$3x$4" "gradient:$5-$6" \) -gravity NorthWest -geometry "+$1+$2" -composite )
}
# line X1 Y1 X2 Y2 COLOUR [WIDTH]
line() { ops+=(-fill none -stroke "$5" -strokewidth "${6:-1}" -draw "line $1,$2 $3,$4" -stroke none); }
# render WIDTH HEIGHT BACKGROUND FILE
render() {
  convert -respect-parentheses -size "$1x$2" "xc:$3" "${ops[@]}" \
    -alpha off -colorspace sRGB -type TrueColor -strip -interlace none \
    -sampling-factor 1x1 -quality 92 -density 96 -units PixelsPerInch "JPEG:$4"
  ops=()
}

# ---- form2.jpg: the game's configurations ------------------------------------------

ink='#1f2933'
grid='#c5ced8'
W=700 H=347
rect 0 0 $W 44 '#1d3557'
text 16 0 500 44 West 19 white '绝地求生 PUBG 电脑配置要求' bold
text 420 0 266 44 East 12 '#a8c4e0' 'Windows 64位 · 四档配置对照'

# Columns: row headings, then the four grades.
x0=8 hw=76 cw=152
y0=52
heads=('最低配置' '普通配置' '推荐配置' '顶级配置')
head_bg=('#6b7b8c' '#2a7ab8' '#e07b1f' '#c0392b')
rows=('画质' '操作系统' '内存' 'CPU' '显卡')
row_h=(34 34 34 52 52)
cells=(
  '非常低 · 1080p' '中 · 1080p' '高 · 1080p' '超高 · 1440p'
  'Windows 7/8.1/10' 'Windows 10' 'Windows 10' 'Windows 10'
  '8 GB' '8 GB' '16 GB' '16 GB 双通道'
  $'Intel Core i5-4430\nAMD FX-6300' $'Intel Core i5-7400\nAMD Ryzen 5 1400'
  $'Intel Core i5-6600K\nAMD Ryzen 5 1600' $'Intel Core i7-9700K\nAMD Ryzen 7 3700X'
  $'GeForce GTX 960 2GB\nRadeon R7 370 2GB' $'GeForce GTX 1650 4GB\nRadeon RX 570 4GB'
  $'GeForce GTX 1060 3GB\nRadeon RX 580 4GB' $'GeForce RTX 2070 8GB\nRadeon RX 5700 8GB'
)
head_h=34
table_w=$((hw + 4 * cw))
# Heading row.
rect $x0 $y0 $hw $head_h '#e9eef3'
text $x0 $y0 $hw $head_h Center 13 "$ink" '配置' bold
for g in 0 1 2 3; do
  x=$((x0 + hw + g * cw))
  rect $x $y0 $cw $head_h "${head_bg[$g]}"
  text $x $y0 $cw $head_h Center 15 white "${heads[$g]}" bold
done
# Body rows.
y=$((y0 + head_h))
for r in 0 1 2 3 4; do
  h=${row_h[$r]}
  rect $x0 $y $hw $h '#eef2f6'
  text $x0 $y $hw $h Center 13 "$ink" "${rows[$r]}" bold
  for g in 0 1 2 3; do
    x=$((x0 + hw + g * cw))
    if [ $((r % 2)) -eq 1 ]; then rect $x $y $cw $h '#f7f9fb'; fi
    text $x $y $cw $h Center 13 "$ink" "${cells[$((r * 4 + g))]}"
  done
  y=$((y + h))
done
y_end=$y
# Grid.
yy=$y0
hline $x0 $((x0 + table_w - 1)) $yy "$grid"
yy=$((yy + head_h))
for r in 0 1 2 3 4; do
  hline $x0 $((x0 + table_w - 1)) $yy "$grid"
  yy=$((yy + ${row_h[$r]}))
done
hline $x0 $((x0 + table_w - 1)) $((y_end - 1)) "$grid"
vline $x0 $y0 $((y_end - 1)) "$grid"
for g in 0 1 2 3 4; do vline $((x0 + hw + g * cw - (g == 4 ? 1 : 0))) $y0 $((y_end - 1)) "$grid"; done
text $x0 $((y_end + 4)) $table_w 30 West 12 '#5c6b7a' \
  '注：最低配置与推荐配置摘自游戏官方公布的配置要求；普通配置与顶级配置为常见搭配，仅供参考。'
render $W $H white "$out/form2.jpg"

# ---- form3.jpg: the author's laptop ---------------------------------------------------

W=587 H=760
cpu_rows=$(wc -l < "$root/data/cpu.txt")
gpu_rows=$(wc -l < "$root/data/gpu.txt")
# Scores and list numbers, by the lists' own descriptions.
own_cpu='Intel Core i7-9850H@2.60GHz' own_gpu='Quadro T2000'
min_cpu1='Intel Core i5-4430@3.00GHz' min_cpu2='AMD FX-6300 Six-Core'
min_gpu1='GeForce GTX 960' min_gpu2='Radeon R7 370'
b1_cpu='AMD Ryzen 5 3600' b1_gpu='GeForce GTX 1660 SUPER'
b2_cpu='Intel Core i7-10700K@3.80GHz' b2_gpu='GeForce RTX 2070 SUPER'
for d in "$own_cpu" "$min_cpu1" "$min_cpu2" "$b1_cpu" "$b2_cpu"; do
  printf 'form3.jpg: %-6s %6s  %s\n' "$(rank cpu "$d")" "$(score cpu "$d")" "$d" >&2
done
for d in "$own_gpu" "$min_gpu1" "$min_gpu2" "$b1_gpu" "$b2_gpu"; do
  printf 'form3.jpg: %-6s %6s  %s\n' "$(rank gpu "$d")" "$(score gpu "$d")" "$d" >&2
done

accent='#1f6fb2' orange='#f08a24' muted='#6b7785'
# section X Y TITLE: a section heading with an accent bar.
section() {
  rect "$1" $(($2 + 4)) 4 16 "$accent"
  text $(($1 + 10)) "$2" 400 24 West 14 "$ink" "$3" bold
}

# Title bar of the captured window.
rect 0 0 $W 30 '#eef1f5'
hline 0 $((W - 1)) 29 '#cfd6de'
rect 10 16 4 8 "$orange"; rect 16 11 4 13 "$accent"; rect 22 6 4 18 "$orange"
text 34 0 360 30 West 12 '#38434f' '硬件检测 - 作者的 ThinkPad P53'
hline 516 526 15 '#55606c'
rrect 540 10 10 10 0 none '#55606c'
line 562 10 571 19 '#55606c' 1.2; line 571 10 562 19 '#55606c' 1.2

# The machine and its two scores.
grad 0 30 $W 118 '#173a5e' '#21598f'
text 18 40 300 30 West 22 white 'ThinkPad P53' bold
text 18 70 300 20 West 12 '#c4d6ea' '15.6 英寸移动工作站 · 作者的电脑'
text 18 96 300 20 West 12 '#c4d6ea' 'i7-9850H · Quadro T2000 · 32 GB'
text 18 118 300 20 West 11 '#93b0cf' "天梯分取自本程序数据 (CPU ${cpu_rows} 款, 显卡 ${gpu_rows} 款)"
badge() {  # X TITLE SCORE RANK
  rrect "$1" 42 124 94 8 '#ffffff1f' '#ffffff55'
  text "$1" 48 124 20 Center 12 '#dbe7f3' "$2"
  text "$1" 68 124 36 Center 30 "$orange" "$3" bold
  text "$1" 108 124 20 Center 11 '#c4d6ea' "$4"
}
badge 310 'CPU 天梯分' "$(score cpu "$own_cpu")" "第 $(rank cpu "$own_cpu" | tr -d C) 名 · $(rank cpu "$own_cpu")"
badge 448 '显卡天梯分' "$(score gpu "$own_gpu")" "第 $(rank gpu "$own_gpu" | tr -d G) 名 · $(rank gpu "$own_gpu")"

# Hardware list.
y=156
section 12 $y '硬件信息'
y=$((y + 28))
hw_rows=(
  '电脑型号' 'Lenovo ThinkPad P53 移动工作站'
  '处理器' 'Intel Core i7-9850H @ 2.60GHz 六核十二线程'
  '显卡' 'NVIDIA Quadro T2000 4GB GDDR5'
  '内存' '32 GB DDR4 2666MHz (16 GB × 2)'
  '硬盘' '1 TB NVMe 固态硬盘 (PCIe 3.0 x4)'
  '显示器' '15.6 英寸 IPS 1920 × 1080'
  '操作系统' 'Windows 10 专业版 64位'
)
for ((i = 0; i < ${#hw_rows[@]}; i += 2)); do
  if [ $((i / 2 % 2)) -eq 0 ]; then rect 12 $y $((W - 24)) 22 '#f4f7fa'; fi
  text 22 $y 80 22 West 12 "$muted" "${hw_rows[$i]}"
  text 104 $y 460 22 West 13 "$ink" "${hw_rows[$((i + 1))]}"
  y=$((y + 22))
done

# The game's minimum configuration against the laptop.
y=$((y + 10))
section 12 $y 'PUBG 官方最低配置 · 与本机对比'
y=$((y + 28))
min_rows=(
  '处理器' 'Intel Core i5-4430 / AMD FX-6300' '内存' '8 GB'
  '显卡' 'GeForce GTX 960 2GB / Radeon R7 370 2GB' '系统' '64位 Windows 7/8.1/10'
)
for ((i = 0; i < ${#min_rows[@]}; i += 4)); do
  text 22 $y 44 20 West 12 "$muted" "${min_rows[$i]}"
  text 66 $y 290 20 West 12 "$ink" "${min_rows[$((i + 1))]}"
  text 372 $y 34 20 West 12 "$muted" "${min_rows[$((i + 2))]}"
  text 406 $y 170 20 West 12 "$ink" "${min_rows[$((i + 3))]}"
  y=$((y + 20))
done
y=$((y + 6))
# bars X Y TITLE MAX then triples NAME SCORE COLOUR
bars() {
  local x=$1 by=$2 title=$3 max=$4; shift 4
  text "$x" "$by" 262 18 West 12 "$muted" "$title"
  by=$((by + 20))
  while [ $# -gt 0 ]; do
    local w=$(($2 * 120 / max))
    text "$x" "$by" 96 18 West 12 "$ink" "$1"
    rect $((x + 96)) $((by + 3)) 120 12 '#e8edf2'
    rect $((x + 96)) $((by + 3)) "$w" 12 "$3"
    text $((x + 216)) "$by" 46 18 East 12 "$ink" "$2" bold
    by=$((by + 21)); shift 3
  done
}
cpu_max=$(score cpu "$own_cpu") gpu_max=$(score gpu "$own_gpu")
bars 22 $y 'CPU 天梯分' "$cpu_max" \
  'i7-9850H (本机)' "$(score cpu "$own_cpu")" "$orange" \
  'i5-4430' "$(score cpu "$min_cpu1")" '#7f8fa1' \
  'FX-6300' "$(score cpu "$min_cpu2")" '#7f8fa1'
bars 304 $y '显卡天梯分' "$gpu_max" \
  'T2000 (本机)' "$(score gpu "$own_gpu")" "$orange" \
  'GTX 960' "$(score gpu "$min_gpu1")" '#7f8fa1' \
  'R7 370' "$(score gpu "$min_gpu2")" '#7f8fa1'
y=$((y + 20 + 3 * 21 + 10))

# Two desktop builds with reference prices.
section 12 $y '台式机推荐配置 (参考价格)'
y=$((y + 28))
yuan() {  # 5084 -> ¥5,084
  local n=$1 s=''
  while [ "$n" -ge 1000 ]; do s=$(printf ',%03d%s' $((n % 1000)) "$s"); n=$((n / 1000)); done
  echo "¥$n$s"
}
card() {  # X TITLE COLOUR CPU_DESC GPU_DESC then pairs PART PRICE
  local x=$1 title=$2 colour=$3 cd=$4 gd=$5; shift 5
  local cw=276 cy=$y total=0 n=0
  local parts=("$@")
  for ((n = 1; n < ${#parts[@]}; n += 3)); do total=$((total + parts[n + 1])); done
  rrect "$x" "$cy" $cw 186 6 white '#d3dae2'
  rect $((x + 1)) $((cy + 1)) $((cw - 2)) 30 "$colour"
  text $((x + 10)) "$cy" 170 32 West 13 white "$title" bold
  text $((x + 150)) "$cy" 116 32 East 15 white "$(yuan $total)" bold
  cy=$((cy + 36))
  for ((n = 0; n < ${#parts[@]}; n += 3)); do
    text $((x + 10)) "$cy" 40 20 West 12 "$muted" "${parts[n]}"
    text $((x + 48)) "$cy" 170 20 West 12 "$ink" "${parts[n + 1]}"
    text $((x + 200)) "$cy" 66 20 East 12 "$ink" "$(yuan "${parts[n + 2]}")"
    cy=$((cy + 20))
  done
  hline $((x + 10)) $((x + cw - 11)) $((cy + 4)) '#e1e6ec'
  text $((x + 10)) $((cy + 8)) 256 20 West 12 "$accent" \
    "CPU 天梯分 $(score cpu "$cd")  ·  显卡天梯分 $(score gpu "$gd")"
}
card 12 '方案一 · 1080p 高画质' "$accent" "$b1_cpu" "$b1_gpu" \
  'CPU' 'AMD Ryzen 5 3600' 1299 \
  '显卡' 'GeForce GTX 1660 SUPER 6GB' 1799 \
  '主板' 'B450M 主板' 599 \
  '内存' '16 GB DDR4 3200 (8 GB × 2)' 459 \
  '硬盘' '512 GB NVMe 固态硬盘' 429 \
  '电源' '500W 电源 + 中塔机箱' 499
card 299 '方案二 · 2K 高刷' "$orange" "$b2_cpu" "$b2_gpu" \
  'CPU' 'Intel Core i7-10700K' 2999 \
  '显卡' 'GeForce RTX 2070 SUPER 8GB' 3999 \
  '主板' 'Z490 主板' 1399 \
  '内存' '32 GB DDR4 3200 (16 GB × 2)' 899 \
  '硬盘' '1 TB NVMe 固态硬盘' 799 \
  '电源' '650W 金牌电源 + 机箱' 899
y=$((y + 186 + 8))
text 12 $y 563 18 West 11 "$muted" '注：天梯分与排名取自本程序的 CPU/显卡天梯数据；价格为参考价 (人民币)，以实际为准。'
echo "form3.jpg: content ends at y=$((y + 18)) of $H" >&2
render $W $H white "$out/form3.jpg"
