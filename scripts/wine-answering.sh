# Sourced by scripts that run Setup.exe under Wine with a display:
# answering ANSWER_BOXES "ANSWERS" COMMAND... runs COMMAND while
# answer_boxes.exe presses ANSWERS (ok, yes, no) in the message boxes that
# appear; fails when COMMAND fails or a box did not come.
answering() {
  local answerer=$1 answers=$2
  shift 2
  # shellcheck disable=SC2086
  wine64 "$answerer" $answers &
  local boxes=$!
  "$@"
  local status=$?
  wait "$boxes" || return 1
  return $status
}
