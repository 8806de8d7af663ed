# Sourced by the kill test and the read fault test: velmarsk-cli on a logbook folder ($cli must be
# set), its flights as text, and the logbook every run starts from.

v() { "$cli" --datadir "$@"; }

# The flights of a logbook, one compact JSON line each, sorted: what a fault must leave as it was.
dump() {
  local dir=$1 count p
  count=$(v "$dir" list | wc -l)
  for ((p = 1; p <= count; p++)); do v "$dir" show "$p"; done | jq -c . | LC_ALL=C sort
}

flight() {  # date, departure in minutes, routing; the comment is $flight_comment
  printf '{"Date":"%s","Atd":%d,"Ata":%d,"Ate":60,"VfrDay":60,"LandDay":2,"Duty":["P","CP"],' "$1" "$2" "$(($2 + 60))"
  printf '"Name":["Brandt","Kurz"],"Aircraft":"CH-53","Callsign":"GAF 123","Registration":"84+01",'
  printf '"Routing":"%s","Comment":"%s"}\n' "$3" "$flight_comment"
}

# Generated flights, two added with early dates (so the sort has slots to swap), one changed (so
# the compaction has a dead text to drop).
make_base() {
  v "$1" create >/dev/null 2>&1
  v "$1" generate 6 --seed 11 >/dev/null
  flight 1999-04-01 480 "EDHL - EDXW" | v "$1" add - >/dev/null
  flight 1998-07-15 600 "ETHS - ETHF" | v "$1" add - >/dev/null
  flight 2000-01-02 540 "ETHB - ETHB" | v "$1" change 3 - >/dev/null
}
