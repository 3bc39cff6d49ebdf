#!/bin/bash
# A browser that speaks the DevTools pipe badly, as TROVIX_STAND_IN_FAULT says.
exec 5<&3
read_one() { IFS= read -r -d '' message <&5; }
case "$TROVIX_STAND_IN_FAULT" in
  garbage) while read_one; do printf 'not json {\0[1,2]\0' >&4; done ;;
  cut) read_one; printf '{"id":1,"result":{"userAgent":"Mozil' >&4 ;;
  dies) read_one ;;
  huge) read_one; head -c 110000000 /dev/zero | tr '\0' 'x' >&4 ;;
esac
