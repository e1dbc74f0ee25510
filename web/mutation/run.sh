#!/usr/bin/env bash
# Mutation testing of the page's pure modules, one module and its node test at a time, then the
# score of all of them together (docs/testing.md). Not part of CI.
#   (cd web/mutation && npm ci) && bash web/mutation/run.sh [MODULE...]
set -euo pipefail
cd "$(dirname "$0")/../.."
modules=("$@")
if [ ${#modules[@]} -eq 0 ]; then
  modules=(file-kind sample-codec chart-geometry array-geometry block-names link-text slices)
fi
reports=()
for module in "${modules[@]}"; do
  ORLINDE_MODULE=$module web/mutation/node_modules/.bin/stryker run web/mutation/stryker.config.cjs
  reports+=("$PWD/build/stryker/$module.json")
done
node -e '
  const counts = {};
  for (const file of process.argv.slice(1)) {
    for (const { mutants } of Object.values(require(file).files))
      for (const { status } of mutants)
        counts[status] = (counts[status] ?? 0) + 1;
  }
  const killed = (counts.Killed ?? 0) + (counts.Timeout ?? 0);
  const total = Object.values(counts).reduce((a, b) => a + b, 0) - (counts.Ignored ?? 0);
  console.log(JSON.stringify(counts), `killed ${killed} of ${total}`);
' "${reports[@]}"
