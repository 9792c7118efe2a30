# Sourced by the tools that start Wine: sets vt_wine, the command that starts a
# Windows program or one of Wine's own (wineboot, regedit, cmd, explorer).
#
# Debian's `wine` (and wineboot, regedit, which go through it) starts the 32-bit
# loader whenever 32-bit Wine is installed, even for a 64-bit program, so on a
# machine whose kernel runs no 32-bit programs not even 64-bit Wine starts. The
# 64-bit loader, started directly with WINELOADER naming it, runs 64-bit
# programs itself and hands a 32-bit one to the loader of the same name without
# "64": where the kernel runs 32-bit programs nothing is lost.
vt_wine=wine
for _l in /usr/lib/wine/wine64 "$(command -v wine64 2>/dev/null)"; do
    if [[ -n $_l && -x $_l ]]; then
        vt_wine=$_l
        export WINELOADER=$_l
        break
    fi
done
unset _l

# Debian's Wine has no preloader: each new Wine process maps Windows' shared
# page at its fixed address only after the C library's heap has begun, at a
# random distance, just above the loader; rarely (about one start in ten
# thousand here) they collide, and the process dies before the program runs
# ("failed to map the shared user data"). With address randomisation off the
# heap starts right after the loader and never gets there, so the sourcing
# script starts itself again under it once; every Wine process it starts
# inherits it. Where the kernel refuses (some container profiles) nothing
# changes, and the launcher starts a lost program again.
if [[ -z ${VT_FIXED_LAYOUT:-} ]] && setarch -R true 2>/dev/null; then
    export VT_FIXED_LAYOUT=1
    exec setarch -R bash "${BASH_SOURCE[1]}" "$@"
fi
