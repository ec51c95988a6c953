#!/usr/bin/env bash
# The HTML viewer of a page: the index page of the support folder (heading,
# paragraph, list, table and PNG picture) painted in the dialog; its links
# run a program with the argument text, hand mailto: and http: addresses to
# the shell (whose handlers the test points at the probe program), and open
# a page of the folder, whose meta refresh (a file:/// address with a percent
# escape) brings up a third page and its title as the dialog's caption.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/script.sh"
if [ -z "${WINEPREFIX:-}" ]; then trap wine_env_end EXIT; wine_env_init; fi

dir="$(scratch)"
src="$dir/src"
mkdir -p "$src/support/sub dir" "$src/forms" "$dir/probe"
cp -r "$VANTRELL_ROOT/examples/sample/support/." "$src/support/"
rm -f "$src/support"/index*.htm
cp "$TESTBIN/run_probe.exe" "$src/support/run_probe.exe"
cp "$TESTBIN/run_probe.exe" "$dir/probe/run_probe.exe"
convert -size 96x48 gradient:'#2060c0'-'#f0c020' "$src/support/picture.png"

exe_out="$(winpath "$dir/exe.txt")"
mail_out="$(winpath "$dir/mail.txt")"
web_out="$(winpath "$dir/web.txt")"
probe="$(winpath "$dir/probe/run_probe.exe")"
# The shell's handlers of mailto: and http: addresses: the probe, which
# writes its command line.
wine reg add 'HKLM\Software\Classes\mailto\shell\open\command' /ve \
  /d "\"$probe\" --write $mail_out %1" /f >/dev/null 2>&1
wine reg add 'HKLM\Software\Classes\http\shell\open\command' /ve \
  /d "\"$probe\" --write $web_out %1" /f >/dev/null 2>&1

# The links in a row of fixed cells at the page's top, 90 pixels apart. The
# program's link says "file:": a ":" in its argument text would make it no
# file link.
cat >"$src/support/index.htm" <<HTML
<html><head><title>Index page</title></head>
<body bgcolor="#ffffff">
<table cellspacing=0 cellpadding=0><tr height=30>
<td width=90><a href="file:run_probe.exe --write $exe_out first second">Run probe</a></td>
<td width=90><a href="mailto:help@example.com?subject=Setup">Mail us</a></td>
<td width=90><a href="http://example.com/setup">Web site</a></td>
<td width=90><a href="next.htm">Next page</a></td>
</tr></table>
<h1>Welcome to the setup</h1>
<p>This paragraph is <b>bold</b>, <i>italic</i> and <font color="#c00000">red</font>,
and long enough to wrap at the viewer's right edge into a second line.</p>
<ul><li>First item</li><li>Second item</li></ul>
<table border=1 cellpadding=4><tr><th>Part</th><th>Size</th></tr>
<tr><td>Program</td><td bgcolor="#e0f0e0">12 MB</td></tr></table>
<p><img src="picture.png" alt="picture"> after the picture</p>
</body></html>
HTML
cat >"$src/support/next.htm" <<'HTML'
<html><head><title>Second page</title>
<meta http-equiv="refresh" content="2; URL=file:///sub%20dir/third.htm"></head>
<body><h2>The second page</h2><p>The third follows in two seconds.</p></body></html>
HTML
{
  echo '<html><head><title>Third page</title></head><body><h2>The third page</h2>'
  for i in $(seq 1 40); do echo "<p>Paragraph $i of the third page.</p>"; done
  echo '<p>The end of the third page.</p></body></html>'
} >"$src/support/sub dir/third.htm"

cat >"$src/forms/Html.txt" <<'FORM'
object Html: TPoolTemplate
  BorderStyle = bsDialog
  Caption = 'Pages'
  ClientHeight = 440
  ClientWidth = 560
  Font.Height = -11
  Font.Name = 'Tahoma'
  PixelsPerInch = 96
  object Viewer: THTMLViewer
    Left = 8
    Top = 8
    Width = 544
    Height = 390
    Tag = 1
    TabOrder = 0
    DefBackground = clWindow
  end
  object Next: TButton
    Left = 470
    Top = 407
    Width = 80
    Height = 25
    Caption = '&Next >'
    Default = True
    Tag = 1
    TabOrder = 1
  end
end
FORM

SETUP_SUPPORT="$src/support" make_script_setup "$dir/setup" <<S
@title Pages
Set Variable|VELDLOGO|TRUE
Display Dialog|Html|PAGE|TRUE||TRUE|FALSE
Terminate with Exit Code|5
S

robot_bg_run "$dir/robot.log" --timeout 120000 -- "$(winpath "$dir/setup/setup.exe")"
w="$(robot wait --timeout 30000 --title Pages | robot_value hwnd)"
check "the dialog is up" "$([ -n "$w" ] && echo yes)" yes
sleep 1
shot="$(screenshot html-index --hwnd "$w")"
echo "  screenshot: $shot"

# A cell's link: 8 (viewer) + 2 (its edge) + 8 (page margin) + 90 per cell,
# 5 pixels in; the row's middle.
link() { robot click-at --hwnd "$w" --x $((23 + 90 * $1)) --y 33 >/dev/null; }
wait_file() { for _ in $(seq 1 100); do [ -s "$1" ] && return 0; sleep 0.1; done; return 1; }

link 0
wait_file "$dir/exe.txt"
# The program from the support folder, its arguments after one blank.
check "the program runs with the argument text" \
  "$(tr -d '\r' <"$dir/exe.txt" 2>/dev/null | sed -n 's/^cmdline=.*\\run_probe.exe" //p')" \
  "--write $exe_out first second"
check "its arguments" "$(tr -d '\r' <"$dir/exe.txt" 2>/dev/null | grep -c '^arg[34]=\(first\|second\)$')" 2
link 1
wait_file "$dir/mail.txt"
check "a mailto: address goes to the shell" \
  "$(tr -d '\r' <"$dir/mail.txt" 2>/dev/null | grep -cx 'arg3=mailto:help@example.com?subject=Setup')" 1
link 2
wait_file "$dir/web.txt"
check "an http: address goes to the shell" \
  "$(tr -d '\r' <"$dir/web.txt" 2>/dev/null | grep -cx 'arg3=http://example.com/setup')" 1
check "the links leave the caption" "$(robot dump --hwnd "$w" | robot_value title)" Pages

link 3
sleep 0.5
check "a page link opens the page, the caption stays" \
  "$(robot dump --hwnd "$w" | robot_value title)" Pages
screenshot html-second --hwnd "$w" >/dev/null
third="$(robot wait --timeout 6000 --title 'Third page' | robot_value hwnd)"
check "the meta refresh brings up the third page and its title" "$third" "$w"
screenshot html-third --hwnd "$w" >/dev/null
# The keyboard scrolls to the end; Ctrl+A selects all the text.
robot key --hwnd "$w" --keys END,CTRL+A >/dev/null
sleep 0.5
screenshot html-third-end --hwnd "$w" >/dev/null

robot click --hwnd "$w" --button "Next >" >/dev/null
run="$(robot_bg_wait "$dir/robot.log" 60)"
check "exit code" "$(robot_value exit <<<"$run")" 5
test_done
