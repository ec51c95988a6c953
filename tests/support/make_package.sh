#!/usr/bin/env bash
# Builds the small installer package that the install-type statements are
# tested against. Usage: make_package.sh OUT.msi [x86|x64]
#   statement header 1A2B ("Install Files"): component Files, condition
#     A1A2B="TRUE", installed into the directory P1A2B_1 (readme.txt);
#   statement header 3C4D ("Create Shortcut"): component Shortcuts, condition
#     A3C4D="TRUE", shortcut "Start" in the directory P3C4D_1;
#   file type: ProgId row "Vantrell.Document".
# The installer takes a directory's folder from the property of its name, so
# the engine's "P" properties place the files. The engine marks every package
# as having uncompressed sources (word count 8), so the file in the embedded
# cabinet carries the compressed attribute itself. x64 marks the package and its
# components 64-bit (template "x64;1033", attribute 0x100).
set -euo pipefail
out="$1"
platform="${2:-x86}"
win64=no
[ "$platform" = x64 ] && win64=yes
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

echo "Vantrell package test file" >"$work/readme.txt"
cat >"$work/package.wxs" <<WXS
<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="{3D1B6A52-1C7E-4E2B-9F0A-6B5C4D3E2F10}" Name="Vantrell Package Test" Language="1033"
           Version="1.0.0" Manufacturer="Vantrell Tests" UpgradeCode="{9A8B7C6D-5E4F-4A3B-8C2D-1E0F9A8B7C6D}">
    <Package InstallerVersion="200" Compressed="yes" />
    <Media Id="1" Cabinet="test.cab" EmbedCab="yes" />
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="ProgramFilesFolder">
        <Directory Id="INSTALLDIR" Name="Vantrell Package Test">
          <Directory Id="P1A2B_1" Name="Files">
            <Component Id="Files" Guid="{11111111-2222-4333-8444-555555555555}" Win64="$win64">
              <File Id="Readme" Name="readme.txt" Source="readme.txt" KeyPath="yes" />
            </Component>
          </Directory>
        </Directory>
      </Directory>
      <Directory Id="ProgramMenuFolder">
        <Directory Id="P3C4D_1" Name="Vantrell Package Test">
          <Component Id="Shortcuts" Guid="{66666666-7777-4888-9999-AAAAAAAAAAAA}" Win64="$win64">
            <Shortcut Id="Start" Name="Start" Description="Built in" Target="[P1A2B_1]readme.txt" />
            <RegistryValue Root="HKCU" Key="Software\\Vantrell\\PackageTest" Name="Shortcuts" Type="integer"
                           Value="1" KeyPath="yes" />
          </Component>
        </Directory>
      </Directory>
    </Directory>
    <DirectoryRef Id="INSTALLDIR">
      <Component Id="Registry" Guid="{22222222-3333-4444-8555-666666666666}" Win64="$win64">
        <RegistryValue Root="HKLM" Key="[P5E6F_1]" Name="Name" Type="string" Value="[P5E6F_3]" KeyPath="yes" />
      </Component>
    </DirectoryRef>
    <Feature Id="Main" Level="1">
      <ComponentRef Id="Files" />
      <ComponentRef Id="Shortcuts" />
      <ComponentRef Id="Registry" />
    </Feature>
  </Product>
</Wix>
WXS
(cd "$work" && wixl -a "$platform" -o package.msi package.wxs 2>/dev/null)

# What the engine's recording switches on and fills in.
msibuild "$work/package.msi" \
  -q "UPDATE \`Component\` SET \`Condition\`='A1A2B=\"TRUE\"' WHERE \`Component\`='Files'" \
  -q "UPDATE \`Component\` SET \`Condition\`='A3C4D=\"TRUE\"' WHERE \`Component\`='Shortcuts'" \
  -q "UPDATE \`Component\` SET \`Condition\`='A5E6F=\"TRUE\"' WHERE \`Component\`='Registry'" \
  -q "UPDATE \`File\` SET \`Attributes\`=16384 WHERE \`File\`='Readme'" \
  -q "CREATE TABLE \`ProgId\` ( \`ProgId\` CHAR(255) NOT NULL, \`ProgId_Parent\` CHAR(255), \`Class_\` CHAR(38), \`Description\` CHAR(255) LOCALIZABLE, \`Icon_\` CHAR(72), \`IconIndex\` SHORT PRIMARY KEY \`ProgId\` )" \
  -q "INSERT INTO \`ProgId\` ( \`ProgId\`, \`Description\` ) VALUES ( 'Vantrell.Document', 'Built in' )"
mv "$work/package.msi" "$out"
