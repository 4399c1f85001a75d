# Cases of a shell test, reported as GoogleTest reports its own: a line per
# case on standard output, and, where GTEST_OUTPUT names a folder
# ("xml:DIR/"), an XML report that scripts/test counts.
#   source tests/scripts/cases.sh SUITE
#   run_case NAME FUNCTION [ARGS...]   a case passes when FUNCTION returns 0,
#                                      is skipped when it returns 77 (`skip`)
#   finish                             writes the report; exits 1 if one failed
# A case says why it failed on standard error; `fail MESSAGE` does that and
# returns 1.
cases_suite=$1
cases_xml=
cases_total=0
cases_failed=0
cases_skipped=0

fail() {
  echo "$*" >&2
  return 1
}

# Says why the case cannot run here; it counts as skipped, not passed.
skip() {
  echo "$*" >&2
  exit 77
}

cases_escape() {
  sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g' -e 's/"/\&quot;/g'
}

run_case() {
  local name=$1 out status
  shift
  out=$(mktemp)
  echo "[ RUN      ] $cases_suite.$name"
  # A subshell: a case's `set -e`, `cd` and variables end with it.
  (set -e; "$@") >"$out" 2>&1
  status=$?
  cases_total=$((cases_total + 1))
  if [ "$status" -eq 77 ]; then
    cases_skipped=$((cases_skipped + 1))
    sed 's/^/    /' "$out"
    echo "[  SKIPPED ] $cases_suite.$name"
    cases_xml+="    <testcase name=\"$name\" classname=\"$cases_suite\" status=\"run\" result=\"skipped\">"$'\n'
    cases_xml+="      <skipped message=\"$(tail -n 1 "$out" | cases_escape)\" />"$'\n'
    cases_xml+="    </testcase>"$'\n'
  elif [ "$status" -eq 0 ]; then
    echo "[       OK ] $cases_suite.$name"
    cases_xml+="    <testcase name=\"$name\" classname=\"$cases_suite\" status=\"run\" result=\"completed\" />"$'\n'
  else
    cases_failed=$((cases_failed + 1))
    sed 's/^/    /' "$out"
    echo "[  FAILED  ] $cases_suite.$name"
    local message
    message=$(tail -n 20 "$out" | cases_escape)
    cases_xml+="    <testcase name=\"$name\" classname=\"$cases_suite\" status=\"run\" result=\"completed\">"$'\n'
    cases_xml+="      <failure message=\"$cases_suite.$name failed\">$message</failure>"$'\n'
    cases_xml+="    </testcase>"$'\n'
  fi
  rm -f "$out"
}

finish() {
  local folder=${GTEST_OUTPUT:-}
  case $folder in
    xml:*/)
      folder=${folder#xml:}
      mkdir -p "$folder"
      {
        echo '<?xml version="1.0" encoding="UTF-8"?>'
        echo "<testsuites tests=\"$cases_total\" failures=\"$cases_failed\" skipped=\"$cases_skipped\" name=\"AllTests\">"
        echo "  <testsuite name=\"$cases_suite\" tests=\"$cases_total\" failures=\"$cases_failed\" skipped=\"$cases_skipped\">"
        printf '%s' "$cases_xml"
        echo "  </testsuite>"
        echo "</testsuites>"
      } >"$folder/$cases_suite.xml"
      ;;
  esac
  echo "[==========] $cases_total cases of $cases_suite, $cases_failed failed, $cases_skipped skipped"
  [ "$cases_failed" -eq 0 ]
}
