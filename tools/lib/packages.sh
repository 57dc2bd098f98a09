# install_missing <package>...: installs the Debian packages that are not
# installed yet (apt-get; needs root or sudo). Sourced by the tools.
install_missing() {
  local missing=() pkg
  for pkg in "$@"; do
    if [[ $(dpkg-query -W -f='${db:Status-Abbrev}' "$pkg" 2>/dev/null) != ii* ]]; then
      missing+=("$pkg")
    fi
  done
  if ((${#missing[@]} == 0)); then
    echo "all build tools present"
    return 0
  fi
  echo "installing: ${missing[*]}"
  local sudo=()
  if ((EUID != 0)); then
    if command -v sudo >/dev/null; then
      sudo=(sudo -E)
    else
      echo "missing packages (${missing[*]}) and not root; install them first" >&2
      return 1
    fi
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update
  "${sudo[@]}" apt-get install -y "${missing[@]}"
}
