#!/bin/sh
# Where the private shader compiler lives: one copy per user, shared by every checkout.
echo "${NIMBRA_TOOLCHAIN_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/nimbra}"
