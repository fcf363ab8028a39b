# Sourced by the scripts that run Wine (wine-prefix.sh, wine-run.sh,
# can-run-32-bit-windows.sh): a quiet Wine, and the loader for each program.

export WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and their installers would ask.
export WINEDLLOVERRIDES="mscoree,mshtml="

# The 64-bit loader. Debian's wine64 package keeps it out of PATH, and its
# `wine` command would start the 32-bit loader first, which fails on machines
# that cannot execute 32-bit programs.
wine64_loader() {
  command -v wine64 2>/dev/null || echo /usr/lib/wine/wine64
}

# The machine field of a PE image's file header, as hex: 8664 for x86-64,
# 14c for i386. The header's offset sits at 0x3c.
pe_machine() {
  header=$(od -An -t u4 -j 60 -N 4 "$1" | tr -d ' ')
  od -An -t x2 -j $((header + 4)) -N 2 "$1" | tr -d ' '
}

# The loader that runs PROGRAM: the 64-bit one for 64-bit images, `wine`
# (which picks the 32-bit loader) for the rest.
wine_loader_for() {
  if [ "$(pe_machine "$1")" = 8664 ]; then
    wine64_loader
  else
    echo wine
  fi
}
