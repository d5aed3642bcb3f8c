#!/usr/bin/env bash
# Photographs the address list window on a virtual X screen, with three sample people listed
# and the second one chosen, at a scale factor of 1 unless another is given.
#   tools/screenshots/address_list.sh BUILD_DIR [OUTPUT.png [SCALE]]
set -euo pipefail
build=${1:?build folder}
output=$(realpath -m "${2:-docs/screenshots/address_list.png}")
scale=${3:-1}
data_home=$(mktemp -d)
trap 'rm -rf "$data_home"' EXIT

mkdir -p "$data_home/Pellinova"
python3 - "$data_home/Pellinova/Tovrin.txt" <<'PY'
import sys
people = [
    ["山田　太郎", "東京都千代田区丸の内1-1-1", "自宅;03-1234-5678", "携帯/PHS;090-1234-5678",
     "メールアドレス;taro@example.jp", ";", "友　　人", "大学の同期。\r\n"],
    ["佐藤花子", "大阪府大阪市北区梅田2-2-2", "会社;06-9876-5432",
     "ホームページ;http://www.example.jp/~hanako/", "ICQ;12345678", ";", "会社関係",
     "年賀状は毎年送る。\r\n"],
    ["ぽん太", "北海道札幌市中央区", "メールアドレス;ponta@example.ne.jp", ";", ";", ";", "ネッ友",
     "チャット仲間\r\n"],
]
with open(sys.argv[1], "wb") as f:
    for fields in people:
        f.write(('"' + '","'.join(fields) + '"\r\n').encode("cp932"))
PY

at() { # a point of the window in logical pixels, as device pixels
    awk -v x="$1" -v y="$2" -v s="$scale" 'BEGIN { printf "%d %d", x * s, y * s }'
}
XDG_DATA_HOME=$data_home QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale \
    xvfb-run -a -s "-screen 0 1600x1200x24" bash -c '
    "$1" & program=$!
    window=$(xdotool search --sync --onlyvisible --name "^Pellinova Ver1\.21$" | head -n 1)
    # 開く, then the name field and three steps down the list: the blank item, then the
    # first and second person.
    xdotool sleep 0.5 mousemove --window "$window" $3 click 1 sleep 0.3 \
        mousemove --window "$window" $4 click 1 sleep 0.3 key Down Down Down sleep 0.3 \
        mousemove 1590 1190 sleep 0.5
    import -window "$window" "$2"
    kill "$program"
    wait "$program" || true
' _ "$build/app/pellinova" "$output" "$(at 464 284)" "$(at 300 138)"
echo "wrote $output"
