# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the scripts: the compiler cache lives outside the clone so every clone reuses it.
export CCACHE_DIR="${CCACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/korvalis-ccache}"
export CCACHE_BASEDIR="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export CCACHE_NOHASHDIR=1
export CCACHE_MAXSIZE="${CCACHE_MAXSIZE:-5G}"
KORVALIS_ROOT="$CCACHE_BASEDIR"
jobs=$(nproc 2>/dev/null || echo 2)
