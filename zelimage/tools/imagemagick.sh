# Sourced by the tools that hold our pictures against ImageMagick's: IM and
# COMPARE name its convert and compare, preferring the Q16 build by name.
IM=/usr/bin/convert-im6.q16
[ -x "$IM" ] || IM=/usr/bin/convert
COMPARE=/usr/bin/compare-im6.q16
[ -x "$COMPARE" ] || COMPARE=/usr/bin/compare
