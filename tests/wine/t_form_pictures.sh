#!/usr/bin/env bash
# Pictures of a form other than bitmaps, shown by form_show_probe.exe: the
# form's own icon, the glyphs of a TBitBtn (two images: up and disabled, the
# bottom-left pixel's colour transparent) and of a disabled TSpeedButton (one
# image, greyed), and TImage pictures of class TMetafile holding an enhanced
# metafile and a placeable Windows metafile, played by GDI. The probe's
# report gives the sizes; the screenshot form-pictures.png shows them.
set -uo pipefail
# shellcheck source-path=SCRIPTDIR source=lib.sh
. "$(dirname "$0")/lib.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

PROBE="$(winpath "$TESTBIN/form_show_probe.exe")"
COMPILE="${FORM_COMPILE:-$VANTRELL_ROOT/build/native/tests/unit/dialogs/form_compile}"
dir="$(scratch)"

# The text form, its binary data made here: pure colours that nothing else
# on the form shows, so that the screenshot tells what was painted.
python3 - >"$dir/pictures.txt" <<'PY'
import struct

def hexdata(data, indent):
    text = data.hex().upper()
    lines = [text[i:i + 64] for i in range(0, len(text), 64)]
    return "{\n" + "\n".join(" " * indent + line for line in lines) + "}"

def bmp(width, height, pixel):  # 24-bit, bottom-up; pixel(x, y) -> (r, g, b)
    row = (width * 3 + 3) & ~3
    body = b""
    for y in reversed(range(height)):
        line = b"".join(bytes(reversed(pixel(x, y))) for x in range(width))
        body += line + b"\0" * (row - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body), 0, 0, 0, 0)
    return struct.pack("<2sIHHI", b"BM", 14 + 40 + len(body), 0, 0, 54) + info + body

def glyph(width, height, images):  # one 12x12 square per image on a magenta ground
    def pixel(x, y):
        image, column = divmod(x, width // images)
        inside = 2 <= column < 14 and 2 <= y < 14
        return ((0, 255, 0) if image == 0 else (128, 128, 128)) if inside else (255, 0, 255)
    data = bmp(width, height, pixel)
    return struct.pack("<I", len(data)) + data

def icon(size):  # one 32-bit image: yellow
    xor = bytes([0, 255, 255, 255]) * size * size
    mask = b"\0" * (((size + 31) // 32) * 4 * size)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = info + xor + mask
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), 22) + image

def emf():  # one inch by half an inch; its left half red
    records = [
        struct.pack("<6I", 39, 24, 1, 0, 0x0000FF, 0),  # solid red brush, handle 1
        struct.pack("<III", 37, 12, 1),                # select it
        struct.pack("<III", 37, 12, 0x80000008),       # the null pen
        struct.pack("<IIiiii", 43, 24, 0, 0, 48, 48),  # rectangle
        struct.pack("<IIIII", 14, 20, 0, 16, 20),      # end
    ]
    size = 88 + sum(len(r) for r in records)
    header = struct.pack("<II4i4iIIIIHHIIIiiii", 1, 88, 0, 0, 95, 47, 0, 0, 2540, 1270,
                         0x464D4520, 0x10000, size, len(records) + 1, 2, 0, 0, 0, 0,
                         960, 480, 254, 127)
    return header + b"".join(records)

def wmf():  # one inch by half an inch at 1440 units per inch; its left half blue
    def record(function, *words):
        return struct.pack("<IH", 3 + len(words), function) + struct.pack("<%dH" % len(words), *words)
    records = [
        record(0x020B, 0, 0),                  # window origin
        record(0x020C, 720, 1440),             # window extent
        record(0x02FC, 0, 0x0000, 0x00FF, 0),  # solid blue brush
        record(0x012D, 0),                     # select it
        record(0x041B, 720, 720, 0, 0),        # rectangle
        record(0x0000),                        # end
    ]
    body = b"".join(records)
    header = struct.pack("<HHHIHIH", 1, 9, 0x0300, (18 + len(body)) // 2, 1,
                         max(len(r) for r in records) // 2, 0)
    placeable = struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, 0, 0, 1440, 720, 1440, 0)
    checksum = 0
    for (word,) in struct.iter_unpack("<H", placeable):
        checksum ^= word
    return placeable + struct.pack("<H", checksum) + header + body

def metafile(data):
    return b"\x09TMetafile" + data

print(f"""object PictureForm: TForm
  Left = 0
  Top = 0
  Caption = 'Form Pictures'
  ClientHeight = 150
  ClientWidth = 330
  Color = clBtnFace
  Icon.Data = {hexdata(icon(32), 4)}
  PixelsPerInch = 96
  object Install: TBitBtn
    Left = 10
    Top = 10
    Width = 100
    Height = 30
    Caption = '&Install'
    NumGlyphs = 2
    Glyph.Data = {hexdata(glyph(32, 16, 2), 6)}
  end
  object Speed: TSpeedButton
    Left = 120
    Top = 10
    Width = 30
    Height = 30
    Enabled = False
    Glyph.Data = {hexdata(glyph(16, 16, 1), 6)}
  end
  object Enhanced: TImage
    Left = 10
    Top = 60
    Width = 96
    Height = 48
    Picture.Data = {hexdata(metafile(emf()), 6)}
  end
  object Placeable: TImage
    Left = 120
    Top = 60
    Width = 96
    Height = 48
    Picture.Data = {hexdata(metafile(wmf()), 6)}
  end
end""")
PY
if ! "$COMPILE" "$dir/pictures.txt" "$dir/pictures.dfm"; then
  fail "form_compile wrote no form file"
  test_done
fi

robot_bg_run "$dir/run.log" --timeout 60000 -- "$PROBE" "$(winpath "$dir/pictures.dfm")" --dpi 96 \
  --report "$(winpath "$dir/report.txt")"
robot wait --timeout 30000 --title "Form Pictures" >/dev/null
for _ in $(seq 50); do [ -s "$dir/report.txt" ] && break; sleep 0.1; done
field() { sed -n "s/^control=$1 .* $2=\([^ ]*\).*/\1/p" "$dir/report.txt"; }

check "the form's icon" "$(sed -n 's/^icon=//p' "$dir/report.txt")" "32x32"
check "bit button: its glyph, one image per button state" "$(field Install glyph)" "16x16*6"
check "speed button: its glyph" "$(field Speed glyph)" "16x16*6"
check "enhanced metafile: its size at 96 pixels per inch" "$(field Enhanced picture)" "96x48"
check "placeable metafile: its size at 96 pixels per inch" "$(field Placeable picture)" "96x48"

png="$(screenshot form-pictures --title "Form Pictures")"
colours="$(convert "$png" -format %c histogram:info:- 2>/dev/null)"
shows() { grep -qi "$1" <<<"$colours" && echo yes || echo no; }
check "screenshot: the enhanced metafile's red" "$(shows '#FF0000')" yes
check "screenshot: the placeable metafile's blue" "$(shows '#0000FF')" yes
check "screenshot: the bit button's glyph" "$(shows '#00FF00')" yes
check "screenshot: the glyphs' ground is transparent" "$(shows '#FF00FF')" no
robot close --title "Form Pictures" >/dev/null
robot_bg_wait "$dir/run.log" >/dev/null

test_done
