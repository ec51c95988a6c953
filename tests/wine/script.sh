# Writes setup scripts for end-to-end tests from one line per statement:
#   Command|parameter 1|parameter 2|...      a statement
#   -Command|...                             a switched-off statement
#   @title Text / @plugin Name               project title, plug-in command
#   @product GUID / @revision GUID           product and revision codes
#   @header HEX                              the next statement's header
#   @ask-language                            the setup asks for its language at start
# "<BAR>" in a parameter stands for a "|" inside that parameter line.
# script_layout < statements > script.txt gives the carried layout that
# tools/make_setup.sh appends to the engine.
script_layout() {
  awk '
    BEGIN { ns = 0; np = 0; nh = 0 }
    function id(i) { return sprintf("{00000000-0000-0000-0000-%012d}", i) }
    /^@title / { title = substr($0, 8); next }
    /^@plugin / { plugins[np++] = substr($0, 9); next }
    /^@product / { product = substr($0, 10); next }
    /^@revision / { revision = substr($0, 11); next }
    /^@header / { headers[nh++] = substr($0, 9) "\n" ns; next }
    /^@ask-language$/ { ask = 1; next }
    /^$/ { next }
    {
      line = $0; off = ""
      if (substr(line, 1, 1) == "-") { off = "C"; line = substr(line, 2) }
      n = split(line, f, "|")
      cmd[ns] = f[1]; mark[ns] = off; np_[ns] = n - 1
      for (k = 2; k <= n; k++) { gsub(/<BAR>/, "|", f[k]); par[ns, k - 1] = f[k] }
      ns++
    }
    END {
      if (title == "") title = "Script Test"
      if (product == "") product = "{5B0C6D2E-7D3A-4E7B-9C1F-2A6E8D4F1B30}"
      if (revision == "") revision = "{6C4D5E6F-7A8B-4C9D-AEBF-2A3B4C5D6E7F}"
      for (i = 0; i < ns; i++) print cmd[i]; print "$"
      for (i = 0; i < ns; i++) print id(i); print "$"
      for (i = 0; i < ns; i++) if (np_[i] > 0) { print id(i); for (k = 1; k <= np_[i]; k++) print par[i, k] }
      print "$"
      for (i = 0; i < ns; i++) print mark[i]; print "$"
      print product; print title
      for (i = 0; i < np; i++) print plugins[i]; print "$"
      print "Publisher"; print ""; print ""; print ""; print ""; print "1.0"; print "$"
      for (i = 0; i < ns; i++) print ""; print "$"
      print "1"; print "$"
      print revision; print "$"
      print (ask ? "TRUE" : "FALSE"); print "English"
      for (i = 0; i < nh; i++) print headers[i]; print "$"
      print "$"
    }'
}

# sample_package : builds the sample package once per run and prints its path.
# Its file is marked compressed, as the engine declares the package's sources
# uncompressed (the payload lives in data\) and the file is in the embedded cabinet.
sample_package() {
  local package="$WINE_RUN_DIR/sample.msi"
  if [ ! -f "$package" ]; then
    (cd "$VANTRELL_ROOT/examples/sample" && wixl -o "$package.tmp" product.wxs) &&
      msibuild "$package.tmp" -q "UPDATE \`File\` SET \`Attributes\`=16384" && mv "$package.tmp" "$package"
  fi
  echo "$package"
}

# make_script_setup DIR < statements : a setup folder whose script is given.
make_script_setup() {
  local dir="$1" sample="$VANTRELL_ROOT/examples/sample"
  # SETUP_SUPPORT: another support folder (its forms in a "forms" folder beside it).
  local support="${SETUP_SUPPORT:-$sample/support}"
  mkdir -p "$dir"
  script_layout >"$dir/script.txt"
  local package="${SETUP_PACKAGE:-$(sample_package)}"
  bash "$VANTRELL_ROOT/tools/make_setup.sh" "$dir" "$dir/script.txt" "$support" "$package"
}
