# Shortens ctest's log to a report: one line per test, the cases of a parameterised test counted
# together; then, for each test that failed, its result line and all it printed; then ctest's own
# summary unchanged, which CI reads. A log without a summary (ctest itself failed) is shown whole.

/^ *[0-9]+\/[0-9]+ +Test +#[0-9]+: / {
    number = $0
    sub(/^ *[0-9]+\/[0-9]+ +Test +#/, "", number)
    sub(/:.*/, "", number)
    number += 0
    name = $4
    group = name
    if (name ~ /^[^\/]+\/[^\/]+\/./) {
        sub(/\/[^\/]*$/, "", group)  # Instance/Suite.Test/Case: the cases share a line
    }
    if (!(group in first) || number < first[group]) {
        first[group] = number
    }
    cases[group]++
    failedTest = $0 !~ / Passed +[0-9.]+ sec$/
    if (failedTest) {
        failures[group]++
        details = details "\n" $0 "\n"
    }
    if (number > last) {
        last = number
    }
    next
}
/^ *Start +[0-9]+: / { failedTest = 0; next }
/^[0-9]+% tests passed/ { inSummary = 1 }
inSummary { summary = summary $0 "\n"; next }
failedTest { details = details $0 "\n" }
{ whole = whole $0 "\n" }

END {
    if (!inSummary) {
        printf "%s%s", whole, details
        exit
    }
    for (group in first) {
        at[first[group]] = group
    }
    for (i = 1; i <= last; i++) {
        if (!(i in at)) {
            continue
        }
        group = at[i]
        line = (group in failures ? "FAILED  " : "passed  ") group
        if (cases[group] > 1 && group in failures) {
            line = line ", " failures[group] " of " cases[group] " cases"
        } else if (cases[group] > 1) {
            line = line ", " cases[group] " cases"
        }
        print line
    }
    printf "%s\n%s", details, summary
}
