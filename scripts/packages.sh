# Sourced by the scripts here.  vyr_ensure_packages PKG... installs the Debian
# packages that are missing.  A machine that has them all installs nothing and
# needs no network.  Not root: prints the install command and fails.
vyr_ensure_packages() {
    local missing=() p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages. As root, run:" >&2
        echo "apt-get install -y --no-install-recommends ${missing[*]}" >&2
        return 1
    fi
    echo "==> installing ${missing[*]}"
    DEBIAN_FRONTEND=noninteractive apt-get update -q &&
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" || {
        echo "apt-get could not install: ${missing[*]}" >&2
        return 1
    }
}
