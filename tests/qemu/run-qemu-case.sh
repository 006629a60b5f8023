#!/usr/bin/env bash
# One case of the QEMU suite: packs zanvo and the scenario runner into an initramfs, boots QEMU's
# PC with it, reads the runner's results from the serial console and judges them.
#   rates        -vga std,retrace=precise under -icount: detection; PAL, NTSC and 24 kHz on the
#                three console modes, rates within 0.5% of QEMU's formula for the registers
#                written, a table against the virtual PC's analyzer; a wrong model chosen by hand
#                refused by measurement; `zanvo vga` leaves every register as it was
#   cirrus       -vga cirrus: detection names QEMU's Cirrus
#   busy-hog     -icount, a real-time guest process taking 10-25 ms slices during the checks
#   busy-loaded  no -icount, the host loaded by two busy processes
#   novga        -vga none: zanvo refuses, writes nothing
# Exit 77 (skipped) with a message when QEMU, cpio, jq or the kernel is missing.
set -uo pipefail

case_name="" zanvo="" runner="" scope="" kernel_dir="" work=""
while (($#)); do
  case $1 in
    --case) case_name=$2 ;; --zanvo) zanvo=$2 ;; --runner) runner=$2 ;; --scope) scope=$2 ;;
    --kernel-dir) kernel_dir=$2 ;; --work) work=$2 ;;
    *) echo "unknown argument $1" >&2; exit 2 ;;
  esac
  shift 2
done

for tool in qemu-system-x86_64 cpio gzip jq; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is missing (scripts/install-deps.sh installs it)"
    exit 77
  fi
done
kernel=$(ls "$kernel_dir"/boot/vmlinuz-* 2>/dev/null | head -n 1)
if [[ -z $kernel ]]; then
  echo "SKIPPED: no guest kernel under $kernel_dir (scripts/install-deps.sh unpacks one)"
  exit 77
fi

# A model chosen by hand whose writes QEMU's VGA follows into a wrong field: the ET4000 on
# 640x480 (QEMU ignores the chips' own clock bits, so most models come out right there).
wrong_chipset="tseng:et4000"

rm -rf "$work" && mkdir -p "$work/root/bin" "$work/root/proc" "$work/root/dev" "$work/root/run"
cp "$runner" "$work/root/init"
cp "$zanvo" "$work/root/bin/zanvo"
(cd "$work/root" && find . | cpio -o -H newc --quiet | gzip -1 >"$work/initrd.gz")

vga="std,retrace=precise" icount=(-icount "shift=${ZANVO_QEMU_ICOUNT_SHIFT:-6},sleep=off") scenario=$case_name extra=""
case $case_name in
  rates) extra="zanvo.wrong=$wrong_chipset" ;;
  cirrus) vga="cirrus"; scenario=detect ;;
  busy-hog) scenario=busy; extra="zanvo.hog=1 zanvo.wrong=$wrong_chipset" ;;
  busy-loaded) scenario=busy; icount=(); extra="zanvo.wrong=$wrong_chipset" ;;
  novga) vga="none" ;;
  *) echo "unknown case $case_name" >&2; exit 2 ;;
esac

load_pids=()
stop_load() { for pid in "${load_pids[@]}"; do kill "$pid" 2>/dev/null; done; }
trap stop_load EXIT
if [[ $case_name == busy-loaded ]]; then
  # Two processes that never sleep, on a machine of two cores: the guest loses whole slices.
  for _ in 1 2; do (while :; do :; done) & load_pids+=($!); done
fi

start=$(date +%s.%N)
timeout 150 qemu-system-x86_64 -M pc -m 256 -nographic -no-reboot -net none \
  -vga "$vga" "${icount[@]}" -kernel "$kernel" -initrd "$work/initrd.gz" \
  -append "console=ttyS0 quiet panic=-1 zanvo.scenario=$scenario $extra" \
  </dev/null >"$work/serial.log" 2>&1
stop_load
elapsed=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')
tr -d '\r' <"$work/serial.log" | sed -n 's/^.*ZANVO-RESULT //p' >"$work/results.jsonl"
echo "QEMU ($case_name, -vga $vga ${icount[*]}) ran ${elapsed}s; $(wc -l <"$work/results.jsonl") results in $work/results.jsonl"
if ! grep -q ZANVO-DONE "$work/serial.log"; then
  echo "FAIL: the guest did not finish; the end of its console:"; tail -n 30 "$work/serial.log"
  exit 1
fi

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
results() { jq -c "select(.scenario == \"$1\")" "$work/results.jsonl"; }

# Every way back leaves every register as it was.
check_restores() {
  while read -r line; do
    [[ -z $line ]] && continue
    local diffs; diffs=$(jq -c '.differences' <<<"$line")
    [[ $diffs == "[]" ]] || fail "$(jq -r '"\(.mode) \(.standard)"' <<<"$line"): zanvo vga left $diffs"
    [[ $(jq '.zanvo.exit' <<<"$line") == 0 ]] || fail "zanvo vga ended with $(jq '.zanvo.exit' <<<"$line")"
  done < <(results "$1")
}

case $case_name in
  rates)
    det=$(results detect)
    echo "Detection on -vga std: $(jq -r '.zanvo.report.chip.name' <<<"$det")"
    [[ $(jq -r '.zanvo.report.chip.family' <<<"$det") == 1 ]] || fail "detection on the standard VGA: $det"
    table="$work/rates-table.md"
    {
      echo "| mode | standard | measured field / line (Hz) | QEMU's formula | off | virtual PC's analyzer | real VGA without QEMU's limits |"
      echo "|---|---|---|---|---|---|---|"
    } >"$table"
    n=0
    while read -r line; do
      n=$((n + 1))
      what=$(jq -r '"\(.mode) \(.standard) \(.args | join(" "))"' <<<"$line")
      # The virtual PC's VGA, from the same registers, with the same options: does it fit?
      jq '.registers_before' <<<"$line" >"$work/before-$n.json"
      computed=(); [[ $(jq '.args | index("--computed")' <<<"$line") != null ]] && computed=(--computed)
      virtual_fitted=$("$scope" --card vga --load-registers "$work/before-$n.json" --standard "$(jq -r .standard <<<"$line")" \
        "${computed[@]}" --json 2>/dev/null | jq '.fitted')
      if [[ $(jq '.zanvo.report.field_check.fitted' <<<"$line") != "$virtual_fitted" ]]; then
        fail "$what: fitted $(jq '.zanvo.report.field_check.fitted' <<<"$line") on QEMU, $virtual_fitted on the virtual PC"
        continue
      fi
      if [[ $virtual_fitted != true ]]; then
        echo "$what: no row fits, on QEMU as on the virtual PC (Video mode unsupported!)"
        [[ $(jq '.zanvo.exit == 1 and .zanvo.report.in_force == "vga"' <<<"$line") == true ]] || fail "$what: not refused"
        continue
      fi
      jq '.registers' <<<"$line" >"$work/registers-$n.json"
      analyzer=$("$scope" --card vga --load-registers "$work/registers-$n.json" --json 2>/dev/null |
        jq -c '{field_hz: .signal.field_rate_hz, line_hz: .signal.line_rate_hz}')
      row=$(jq -r --argjson a "$analyzer" '
        def pct(x; y): (x - y) / y * 100;
        .zanvo.report.field_check as $c |
        [ .mode, .standard + (if (.args | index("--computed")) then " (computed)" else "" end),
          "\($c.field_hz | . * 1000 | round / 1000) / \($c.line_hz)",
          "\(.qemu.field_hz | . * 1000 | round / 1000) / \(.qemu.line_hz | round)",
          "\(pct($c.field_hz; .qemu.field_hz) | . * 100 | round / 100)% / \(pct($c.line_hz; .qemu.line_hz) | . * 100 | round / 100)%",
          "\($a.field_hz | . * 1000 | round / 1000) / \($a.line_hz | round)",
          "\(.real_vga.field_hz | . * 1000 | round / 1000) / \(.real_vga.line_hz | round)" ]
        | "| " + join(" | ") + " |"' <<<"$line")
      echo "$row" >>"$table"
      ok=$(jq --argjson a "$analyzer" '
        def near(x; y; tol): ((x - y) / y | fabs) <= tol;
        .zanvo.exit == 0 and .zanvo.report.in_force == .standard
        and near(.zanvo.report.field_check.field_hz; .qemu.field_hz; 0.005)
        and near(.zanvo.report.field_check.line_hz; .qemu.line_hz; 0.005)
        and near($a.field_hz; .real_vga.field_hz; 0.001) and near($a.line_hz; .real_vga.line_hz; 0.001)' <<<"$line")
      [[ $ok == true ]] || fail "$what: $(jq -c '{exit: .zanvo.exit, check: .zanvo.report.field_check, qemu, real_vga, stderr: .zanvo.stderr}' <<<"$line") analyzer $analyzer"
    done < <(results rate)
    ((n == 12)) || fail "$n switches reported, 12 expected"
    cat "$table"
    check_restores rate-restore
    while read -r line; do
      [[ $(jq '.zanvo.exit == 1 and .zanvo.report.in_force == "vga" and .zanvo.report.field_check.clean_miss' <<<"$line") == true ]] ||
        fail "the wrong model ($wrong_chipset) was not refused: $(jq -c '.zanvo.report.field_check, .zanvo.stderr' <<<"$line")"
      echo "Wrong model $wrong_chipset, $(jq -r '.standard' <<<"$line"): refused, field $(jq '.zanvo.report.field_check.field_hz' <<<"$line") Hz, clean miss $(jq '.zanvo.report.field_check.clean_miss' <<<"$line")"
    done < <(results wrong-model)
    check_restores wrong-model-restore
    ;;
  cirrus)
    det=$(results detect)
    echo "Detection on -vga cirrus: $(jq -r '.zanvo.report.chip.name' <<<"$det")"
    [[ $(jq -r '.zanvo.report.chip.family' <<<"$det") == 4 ]] || fail "detection on QEMU's Cirrus: $det"
    ;;
  busy-hog | busy-loaded)
    # A right model: passed with the right rates, or refused without a clean miss (the check
    # could not trust two periods); a wrong one: never passed. Every run ends within its bounds.
    passed=0 refused=0
    while read -r line; do
      verdict=$(jq -r '
        def near(x; y; tol): ((x - y) / y | fabs) <= tol;
        .zanvo.report.field_check as $c |
        if .zanvo.exit == 0 then
          (if near($c.field_hz; .qemu.field_hz; 0.02) then "passed" else "WRONG: accepted \($c.field_hz) Hz, the card sends \(.qemu.field_hz)" end)
        elif $c.clean_miss then "WRONG: a clean miss on the right model"
        else "refused" end' <<<"$line")
      case $verdict in passed) passed=$((passed + 1)) ;; refused) refused=$((refused + 1)) ;; *) fail "$(jq -r .standard <<<"$line"): $verdict" ;; esac
    done < <(results busy)
    echo "Right model under load: $passed passed, $refused refused"
    while read -r line; do
      [[ $(jq '.zanvo.exit' <<<"$line") != 0 ]] || fail "the wrong model passed under load: $(jq -c '.zanvo.report.field_check' <<<"$line")"
    done < <(results busy-wrong)
    # Bounds: a run with one check ends within 3 s of wall-clock time and 0.6 s of processor
    # time besides the VGA check's 0.25 s; the wrong model's sibling search makes up to six.
    jq -r 'select(.scenario == "busy" or .scenario == "busy-wrong") | "\(.scenario) \(.standard) wall \(.zanvo.wall_s) cpu \(.zanvo.cpu_s)"' "$work/results.jsonl"
    over=$(jq -c 'select((.scenario == "busy" and (.zanvo.wall_s > 3 or .zanvo.cpu_s > 0.9)) or (.scenario == "busy-wrong" and (.zanvo.wall_s > 8 or .zanvo.cpu_s > 3)))' "$work/results.jsonl")
    [[ -z $over ]] || fail "runs beyond their bounds: $over"
    check_restores busy-restore
    check_restores busy-wrong-restore
    ;;
  novga)
    line=$(results novga)
    echo "zanvo on a PC without a VGA: $(jq -r '.zanvo.stderr' <<<"$line")"
    [[ $(jq '.zanvo.exit == 1 and (.zanvo.report.refusal | test("no VGA")) and .run_dir_made == false and .settings_dir_made == false' <<<"$line") == true ]] ||
      fail "no refusal, or something written: $line"
    ;;
esac

((failures == 0)) || exit 1
echo "PASS"
