#!/usr/bin/env bash
# Installs what the project needs on a fresh Debian 12 machine (run as root).
# Idempotent: does nothing when everything is present.
set -euo pipefail

PACKAGES=(
    cmake g++ make ninja-build ccache pkg-config
    qt6-base-dev libgl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    libpugixml-dev libpolyclipping-dev
    clang libclang-rt-14-dev
    gerbv libxml2-utils poppler-utils
    xvfb xauth xdotool libxcb1-dev openbox
    python3-ezdxf
    fonts-dejavu-core fonts-liberation2
    fonts-wqy-microhei # the Japanese paper sizes of the Sheet Size page
    locales
)

# scripts/run.sh and scripts/test.sh may be started side by side: the second
# waits here until the first has installed what it needed, then finds it
# there. Another program's apt-get (an upgrade running in the background)
# is waited for too, rather than failing on its lock.
exec 9>/var/lock/vorpel-setup.lock
flock 9
apt_wait=(-o DPkg::Lock::Timeout=900)

missing=()
for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    # apt-get update does not wait for the lock of the package lists; it
    # is tried again while another apt-get holds it.
    tries=0
    until apt-get "${apt_wait[@]}" update -qq; do
        tries=$((tries + 1))
        if [ "$tries" -ge 90 ]; then
            echo "setup: apt-get update kept failing" >&2
            exit 1
        fi
        sleep 10
    done
    apt-get "${apt_wait[@]}" install -y -qq --no-install-recommends "${missing[@]}"
fi

# A locale with a decimal comma: the tests run under it as well as under C.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    echo "setup: generating de_DE.UTF-8"
    if [ -f /etc/locale.gen ]; then
        sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
        grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' >> /etc/locale.gen
        locale-gen >/dev/null
    else
        localedef -i de_DE -f UTF-8 de_DE.UTF-8
    fi
fi
