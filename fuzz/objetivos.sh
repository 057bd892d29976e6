# The fuzz targets, for scripts/test (a fixed number of inputs from a fixed
# seed, the same every run) and scripts/fuzz (as long as asked). Sourced with
# $raiz (the checkout) and $construccion (a build with ALCOVE_BUILD_FUZZ=ON) set.
#
# One row a target: name, longest input, inputs the gate runs, most memory
# (MB, -rss_limit_mb: what the target may hold, sanitizer's quarantine
# included, before its input counts as a fault), title. The counts give each
# target some 10 to 50 seconds on one core of a 2-core machine, seeds
# included: the gate's whole run must stay within CI's time. The HFE
# reader's limit is low: a file of 100 KB describes a disk of 8 MB at most,
# and a reader that copies a track once per ID found in it went past 1.8 GB.
objetivos_fuzz=(
  "fuzz_imagen     4096    100000 2048 Fuzzer de cabeceras"
  "fuzz_disco      2048     50000 2048 Fuzzer del objeto disco"
  "fuzz_cpm        1000000   6000 2048 Fuzzer del lector CP/M"
  "fuzz_breve      1000000   6000 2048 Fuzzer de la lectura solo de nombres"
  "fuzz_hfe        100000     250  640 Fuzzer del lector HFE"
  "fuzz_estructura 512       4000 2048 Fuzzer de discos generados"
  "fuzz_escritura  2048      2000 2048 Fuzzer de la escritura"
  "fuzz_zip        65536   250000 2048 Fuzzer del lector de zip y gzip"
  "fuzz_ver        20000    10000 2048 Fuzzer de los visores"
  "fuzz_flujo      300000     300 2048 Fuzzer de los volcados de flujo"
)

# semillas_fuzz NAME DIR: puts the target's seeds into DIR (made empty first).
semillas_fuzz() {
  local nombre=$1 dir=$2 f
  rm -rf "$dir" && mkdir -p "$dir"
  case $nombre in
  fuzz_imagen)
    # The header and catalogue of each sample image.
    for f in "$raiz"/samples/*.dsk "$raiz"/samples/*.DSK; do
      [ -f "$f" ] && head -c 2560 "$f" >"$dir/$(basename "$f")"
    done
    ;;
  fuzz_cpm | fuzz_breve)
    # Generator images of every format and of the hard cases.
    "$construccion/tools/dskgen/alcove-dskgen" semillas "$dir" >/dev/null
    if [ "$nombre" = fuzz_cpm ]; then
      # For the copy-protection verdict and the completion: a signed scheme,
      # each kind of incomplete dump, a shape alone and a disk no scheme names.
      local protegidos
      protegidos=$(mktemp -d)
      "$construccion/tools/dskgen/alcove-dskgen" protecciones "$protegidos" >/dev/null
      for f in speedlock-incompleto rainbow kbi10-incompleto operasoft-incompleto \
        titus-masterizado hexagon-firma kbi19-forma discsys desconocida; do
        cp "$protegidos/$f.dsk" "$dir/proteccion-$f.dsk"
      done
      rm -rf "$protegidos"
    fi
    ;;
  fuzz_flujo)
    # Small generator disks as an SCP image and as KryoFlux streams.
    "$construccion/tools/dskgen/alcove-dskgen" flujo "$dir/disco.scp" 3 1 1 0.01 100 >/dev/null
    local kf
    kf=$(mktemp -d)
    "$construccion/tools/dskgen/alcove-dskgen" flujo "$kf" 2 1 1 >/dev/null
    for f in "$kf"/*.raw; do cp "$f" "$dir/"; done
    rm -rf "$kf"
    ;;
  fuzz_hfe)
    # Generator disks converted to HFE, cut after their first tracks.
    local discos
    discos=$(mktemp -d)
    "$construccion/tools/dskgen/alcove-dskgen" semillas "$discos" >/dev/null
    for f in data system ibm rara; do
      "$construccion/src/cli/alcove-cli" convert --force "$discos/$f.dsk" "$discos/$f.hfe" \
        >/dev/null 2>&1 && head -c 100000 "$discos/$f.hfe" >"$dir/$f.hfe.inicio"
    done
    rm -rf "$discos"
    ;;
  fuzz_escritura)
    # Long inputs from the start, each a whole sequence of writes; fixed, so
    # that every run starts from the same ones.
    for f in 1 2 3 4 5 6 7 8; do
      LC_ALL=C awk -v s="$f" \
        'BEGIN { srand(s); for (i = 0; i < 1500; i++) printf "%c", int(rand() * 256) }' >"$dir/$f"
    done
    ;;
  fuzz_zip)
    # Small archives written by semillas_zip.
    "$construccion/fuzz/semillas_zip" "$dir"
    ;;
  fuzz_ver)
    # A few files of each kind.
    printf '\x00\x06\x00\x0a\x00\x8a\x00\x00\x00\x21\x00\x40\xc9' >"$dir/basic"
    printf '\x40\x3e\x01\xcd\x5a\xbb\xdd\xcb\x02\x06\xed\xb0\x18\xf0' >"$dir/z80"
    printf '\x01INICIO\x80A,1\r\x9e&BB5A\r\xff nota\r\x00' >"$dir/dams"
    printf '\x021,24,20,6' >"$dir/paleta"
    ;;
  esac
}

# The inputs that once found a fault in the target, if any.
regresiones_fuzz() {
  local dir="$raiz/fuzz/regresiones/$1"
  [ -d "$dir" ] && echo "$dir"
  return 0
}
