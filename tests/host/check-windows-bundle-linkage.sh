#!/usr/bin/env bash
# Checks the Windows plug-in DLL the way a user's machine meets it: it exports exactly the three VST3 entry
# points, imports only DLLs that every Windows has (no MinGW runtime, no FFTW) and carries FFTW inside it.
set -euo pipefail
library=$1
[ -f "$library" ] || { echo "no DLL at $library"; exit 1; }

headers=$(x86_64-w64-mingw32-objdump -p "$library")
symbols=$(x86_64-w64-mingw32-nm "$library")

# The export table lists "[ordinal] name" lines after "[Ordinal/Name Pointer] Table".
exports=$(awk '/\[Ordinal\/Name Pointer\] Table/ { listing = 1; next }
               listing && /^[ \t]*\[ *[0-9]+\]/ { print $NF; next }
               listing { listing = 0 }' <<< "$headers" | sort | tr '\n' ' ')
[ "$exports" = "ExitDll GetPluginFactory InitDll " ] || { echo "FAIL: unexpected exports: $exports"; exit 1; }

imports=$(awk '/DLL Name:/ { print tolower($3) }' <<< "$headers" | sort -u | tr '\n' ' ')
for dll in $imports; do
    case $dll in
        kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|shell32.dll|ole32.dll|oleaut32.dll|comdlg32.dll|imm32.dll| \
        shlwapi.dll|rpcrt4.dll|winmm.dll|version.dll|wininet.dll|ws2_32.dll|wsock32.dll|msvcrt.dll|opengl32.dll| \
        comctl32.dll|dwmapi.dll|dxgi.dll|uxtheme.dll|setupapi.dll|crypt32.dll|iphlpapi.dll|netapi32.dll|api-ms-win-*.dll) ;;
        *) echo "FAIL: $library imports $dll, which a user's Windows does not have"; exit 1 ;;
    esac
done

for symbol in fftwf_plan_dft_r2c_1d fftwf_execute_dft_r2c fftwf_execute_dft_c2r; do
    grep -q " [tT] $symbol\$" <<< "$symbols" || { echo "FAIL: $symbol is not linked into $library"; exit 1; }
done
echo "OK: exports $exports; imports $imports"
