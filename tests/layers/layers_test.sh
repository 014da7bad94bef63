#!/bin/bash
# layers_test.sh BUILD_DIR LAYER...: for each layer, the probe including its own
# header builds and the probe including a header of a layer above it does not,
# because that header cannot be found.
set -u
build=$1
shift
status=0
for layer in "$@"; do
  if ! out=$(cmake --build "$build" --target "layer_probe_${layer}_own" 2>&1); then
    echo "FAIL: $layer cannot include its own header:"
    echo "$out" | tail -5
    status=1
    continue
  fi
  if out=$(cmake --build "$build" --target "layer_probe_${layer}_above" 2>&1); then
    echo "FAIL: $layer builds with a header of a layer above it"
    status=1
  elif ! grep -q "No such file or directory" <<<"$out"; then
    echo "FAIL: $layer's probe failed for another reason:"
    echo "$out" | tail -5
    status=1
  else
    echo "ok: $layer refuses $(grep -o '[A-Za-z/]*\.h' <<<"$out" | head -1)"
  fi
done
exit $status
