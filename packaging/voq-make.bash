# bash completion for voq-make. Commands and options come from the tool's
# own help, so they follow it.
_voq_make() {
  local current=${COMP_WORDS[COMP_CWORD]} previous=${COMP_WORDS[COMP_CWORD-1]}
  local tool=${COMP_WORDS[0]}
  if [ "$COMP_CWORD" -eq 1 ]; then
    local commands
    commands=$("$tool" --help 2>/dev/null | sed -n '/^commands:/,/^$/s/^  \([a-z]*\) .*/\1/p')
    mapfile -t COMPREPLY < <(compgen -W "$commands --help --version" -- "$current")
    return
  fi
  local command=${COMP_WORDS[1]}
  case $previous in
    --target) mapfile -t COMPREPLY < <(compgen -W "linux windows32 windows64" -- "$current"); return ;;
    --key) mapfile -t COMPREPLY < <(compgen -W "auto none" -- "$current"); return ;;
    --background) mapfile -t COMPREPLY < <(compgen -W "darkest" -- "$current"); return ;;
  esac
  if [[ $current == -* ]]; then
    local options
    options=$("$tool" "$command" --help 2>/dev/null | grep -o -- '--[a-z][a-z-]*' | sort -u)
    mapfile -t COMPREPLY < <(compgen -W "$options --help" -- "$current")
    return
  fi
  if [ "$command" = uninstall ]; then
    local folder=${XDG_DATA_HOME:-$HOME/.local/share}/quillovarnenthodex
    mapfile -t COMPREPLY < <(cd "$folder" 2>/dev/null && compgen -f -- "$current")
    return
  fi
  mapfile -t COMPREPLY < <(compgen -f -- "$current")
  compopt -o filenames 2>/dev/null
}
complete -F _voq_make voq-make
