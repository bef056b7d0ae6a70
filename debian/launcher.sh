#!/bin/sh
# Installed as /usr/games/tessel. The game reads its data from assets/ under the working
# directory, so it starts from its data folder; exec hands its exit code back unchanged.
cd /usr/share/games/tessel || exit 1
exec /usr/libexec/tessel/tessel "$@"
