#!/usr/bin/env bash
# Every example of README's command line runs as printed, in a copy of
# samples/: each "$ alcove-cli ..." line is run by bash, and what follows it up
# to the next "$" or the block's end must be what it prints (lines starting
# with "alcove-cli: " on standard error, the rest on standard output).
# "$ echo $?" prints the exit code of the example before it; "$ alcove-dskgen"
# runs our generator, when given. The samples are also checked for health:
# each lists and reads with no problem.
# Usage: ejemplos_readme.sh ALCOVE-CLI [ALCOVE-DSKGEN]
set -uo pipefail
aqui=$(cd "$(dirname "$0")" && pwd)
raiz=$(cd "$aqui/../.." && pwd)
. "$aqui/comun.sh"
cli=$1
dskgen=${2:-}
temporal=$(mktemp -d)
trap 'rm -rf "$temporal"' EXIT
mkdir -p "$temporal/bin" "$temporal/samples"
ln -s "$cli" "$temporal/bin/alcove-cli"
[[ -n $dskgen ]] && ln -s "$dskgen" "$temporal/bin/alcove-dskgen"
cp "$raiz"/samples/* "$temporal/samples/"

orden="" esperado="" ultimo=0 ejemplos=0
# Runs the pending example, if any, and compares what it printed.
comprobar() {
  [[ -z $orden ]] && return
  local salida errores
  if [[ $orden == 'echo $?' ]]; then
    salida=$ultimo$'\n' errores=""
  else
    salida=$(cd "$temporal/samples" && PATH="$temporal/bin:$PATH" bash -c "$orden" \
      2>"$temporal/errores"; echo "codigo=$?")
    ultimo=${salida##*codigo=}
    salida=${salida%codigo=*}
    errores=$(cat "$temporal/errores")
    [[ -n $errores ]] && errores+=$'\n'
  fi
  local quiere_salida quiere_errores
  quiere_salida=$(printf '%s' "$esperado" | grep -v '^alcove-cli: ')
  quiere_errores=$(printf '%s' "$esperado" | grep '^alcove-cli: ')
  [[ -n $quiere_salida ]] && quiere_salida+=$'\n'
  [[ -n $quiere_errores ]] && quiere_errores+=$'\n'
  ejemplos=$((ejemplos + 1))
  if [[ $salida == "$quiere_salida" && $errores == "$quiere_errores" ]]; then
    bien "\$ $orden"
  else
    falla "\$ $orden"$'\n'"--- README:"$'\n'"$esperado"$'\n'"--- escribe:"$'\n'"$salida$errores"
  fi
  orden="" esperado=""
}

while IFS= read -r linea; do
  if [[ $linea == '    $ alcove-cli '* || $linea == '    $ echo $?' ||
    $linea == '    $ alcove-dskgen '* ]]; then
    comprobar
    orden=${linea#    \$ }
  elif [[ -n $orden && $linea == '    '* ]]; then
    esperado+=${linea#    }$'\n'
  else
    comprobar
  fi
done <"$raiz/README.md"
comprobar
if ((ejemplos < 5)); then
  falla "README tiene $ejemplos ejemplos de alcove-cli; se esperaban al menos 5"
fi

# The manual's examples that name a sample image work on it as printed there
# (scdoc's \* being a *).
while IFS= read -r linea; do
  orden=${linea#$'\t'}
  orden=${orden//\\\*/*}
  for imagen in "$raiz"/samples/*; do
    [[ " $orden " == *" $(basename "$imagen") "* ]] || continue
    if salida=$(cd "$temporal/samples" && PATH="$temporal/bin:$PATH" bash -c "$orden" 2>&1 >/dev/null); then
      bien "man: $orden"
    else
      falla "man: $orden"$'\n'"$salida"
    fi
    break
  done
done < <(sed -n '/^# EJEMPLOS/,/^# VÉASE/p' "$raiz/docs/man/alcove-cli.1.scd" | grep $'^\talcove-cli ')

# A new user's first look: every sample lists and reads without a problem.
for imagen in "$raiz"/samples/*; do
  nombre=$(basename "$imagen")
  if ! lista=$("$cli" ls -a "$imagen" 2>&1) || [[ $lista == *incompleto* ]]; then
    falla "samples/$nombre no se lista limpio: $lista"
  elif ! info=$("$cli" info "$imagen" 2>&1) || [[ $info == *Problemas:* ]] ||
    [[ $info != *"no se ve ninguna señal"* ]]; then
    falla "samples/$nombre tiene problemas: $info"
  else
    bien "samples/$nombre sano"
  fi
done
exit $((fallos > 0))
