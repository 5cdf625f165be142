#!/bin/sh
# bench/run.sh - how fast the message listener (TNMMSGServ, run by bench/listener.cpp) serves
# exchanges compared with the reference listener of the shared bench folder, and whether it
# still answers a fresh message at once while thousands of idle peers hold connections.
# Prints figures only; it judges nothing.
#
#  1. Builds the listener (Release, in a build directory of its own) and the reference tools.
#  2. Rate and latency at 1, 8 and 64 concurrent senders: the shared run_limit.sh, both
#     listeners interleaved in every round, in a private network namespace.
#  3. Idle peers: in a private network namespace, each listener in turn holds K idle peers
#     while a single sender measures its exchanges (during the connecting and while held),
#     and its resident memory (VmRSS, peak VmHWM) is read from /proc.
#
# Needs root (network namespaces), gcc, iproute2 and what the project builds with.
#
# usage: bench/run.sh [-r rounds] [-d seconds] [-k idle_peers] [-s hold_seconds] [-p base_port]
#   environment: MIREVO_SHARED_BENCH  the shared bench folder (default: ../shared/bench from the repo root)
#                MIREVO_BENCH_BUILD   build directory (default: build/bench in the repo)
#                BENCH_BIN            where the reference tools are built (default: under $TMPDIR or /tmp)
set -eu

REPO=$(cd "$(dirname "$0")/.." && pwd)
SHARED=${MIREVO_SHARED_BENCH:-$REPO/../shared/bench}
BUILD=${MIREVO_BENCH_BUILD:-$REPO/build/bench}
BENCH_BIN=${BENCH_BIN:-${TMPDIR:-/tmp}/mirevo-bench-$(id -u)}
export BENCH_BIN
LISTENER=$BUILD/bench/listener

ROUNDS=5 SECS=3 IDLE=10000 HOLD=15 PORT=16711
while getopts r:d:k:s:p: opt; do
	case $opt in
	r) ROUNDS=$OPTARG ;;
	d) SECS=$OPTARG ;;
	k) IDLE=$OPTARG ;;
	s) HOLD=$OPTARG ;;
	p) PORT=$OPTARG ;;
	*) sed -n 's/^# usage: /usage: /p' "$0" >&2; exit 2 ;;
	esac
done
OURS_PORT=$((PORT + 1))

field() { echo "$2" | tr ' ' '\n' | sed -n "s/^$1=//p"; }

# ---------------------------------------------------------------------------------------------
# The idle test of one listener, run inside a private network namespace (see idle_test below).
# Prints one line: label|opened|held|during connect p50,p99,max,errors|while held ...|rss
idle_one() {
	label=$1 port=$2
	shift 2
	log=$(mktemp)
	"$@" >"$log.out" 2>"$log.err" &
	tpid=$!
	i=0
	until "$BENCH_BIN/loadgen" -n 1 -t 2 127.0.0.1 "$port" >/dev/null 2>&1; do
		i=$((i + 1))
		[ $i -lt 50 ] || { echo "$label: no answer on port $port" >&2; cat "$log.err" >&2; exit 1; }
		sleep 0.2
	done
	spid=$(sed -n 's/^[a-z]*: pid \([0-9]*\).*/\1/p' "$log.err" | head -n 1)
	rss0=$(awk '/^VmRSS:/ { print $2 }' "/proc/$spid/status")
	# the idle peers connect (64 at a time) while one sender keeps exchanging beside them
	"$BENCH_BIN/loadgen" -i "$IDLE" -c 64 -p 20000 -t "$HOLD" 127.0.0.1 "$port" >"$log.idle" &
	ipid=$!
	during=$("$BENCH_BIN/loadgen" -c 1 -n 1000000000 -d 2 -x 5000 127.0.0.1 "$port") || true
	i=0
	until grep -q holding "$log.idle" || [ $i -ge 300 ]; do sleep 0.1; i=$((i + 1)); done
	sleep 1 # the listener accepts the last ones
	opened=$(sed -n 's/.*opened=\([0-9]*\).*/\1/p' "$log.idle" | head -n 1)
	held=$(ss -Htn state established "sport = :$port" | wc -l)
	# fresh messages while they are held
	while_held=$("$BENCH_BIN/loadgen" -c 1 -n 200 -x 5000 127.0.0.1 "$port") || true
	rss1=$(awk '/^VmRSS:/ { print $2 }' "/proc/$spid/status")
	wait $ipid || true
	closed=$(sed -n 's/.*closed_by_peer=\([0-9]*\).*/\1/p' "$log.idle" | tail -n 1)
	peak=$(awk '/^VmHWM:/ { print $2 }' "/proc/$spid/status")
	kill -TERM "$spid"
	wait $tpid || true
	printf '%s|%s|%s|%s|%s|%s|%s|%s|%s|%s|%s|%s|%s|%s|%s|%s\n' "$label" "${opened:-0}" "$held" "${closed:-?}" \
		"$(field p50_us "$during")" "$(field p99_us "$during")" "$(field max_us "$during")" \
		"$(field done "$during")" "$(field errors "$during")" \
		"$(field p50_us "$while_held")" "$(field p99_us "$while_held")" "$(field max_us "$while_held")" \
		"$(field errors "$while_held")" "$rss0" "$rss1" "$peak"
	rm -f "$log" "$log.out" "$log.err" "$log.idle"
}

if [ "${MIREVO_BENCH_IDLE_INNER:-}" = 1 ]; then
	ip link set lo up
	# each side holds IDLE sockets; the hard limit may be all that can be had
	want=$((IDLE + 2000)) hard=$(ulimit -Hn)
	[ "$hard" != unlimited ] && [ "$hard" -lt "$want" ] && want=$hard
	ulimit -n "$want"
	echo "open-file limit $(ulimit -n)" >&2
	idle_one reference "$PORT" "$BENCH_BIN/refserver" "$PORT"
	sleep 1
	idle_one TNMMSGServ "$OURS_PORT" "$LISTENER" --port "$OURS_PORT"
	exit 0
fi

# ---------------------------------------------------------------------------------------------
# 1. build
[ -f "$SHARED/run_limit.sh" ] || { echo "no shared bench folder at $SHARED (set MIREVO_SHARED_BENCH)" >&2; exit 1; }
SHARED=$(cd "$SHARED" && pwd)
echo "building the listener (Release) in $BUILD and the reference tools in $BENCH_BIN" >&2
cmake -S "$REPO" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
ninja -C "$BUILD" -j2 listener >/dev/null
mkdir -p "$BENCH_BIN"
for f in refserver loadgen blockclient; do
	gcc -O2 -Wall -pthread -o "$BENCH_BIN/$f" "$SHARED/$f.c"
done

# 2. rate and latency, interleaved with the reference
LOG=$BUILD/bench-limit.log
echo "running $ROUNDS interleaved rounds of ${SECS}s per point (raw output: $LOG)" >&2
"$SHARED/run_limit.sh" -N -r "$ROUNDS" -d "$SECS" -p "$PORT" -o "$OURS_PORT" \
	-O "$LISTENER --port $OURS_PORT" >"$LOG" 2>&1 || { cat "$LOG" >&2; exit 1; }

echo
echo "== Exchanges per second and latency, median over $ROUNDS interleaved rounds of ${SECS}s =="
grep -m1 '^cpus' "$LOG" | sed 's/^/   /'
# per-round rows of run_limit.sh: round target conc rate p50_us p99_us max_us errors
awk '
	function median(list,   n, v, i, j, t) {
		n = split(list, v, " ")
		for (i = 2; i <= n; i++) for (j = i; j > 1 && v[j - 1] + 0 > v[j] + 0; j--) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
		lo = v[1]; hi = v[n]
		return (n % 2) ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
	}
	$1 ~ /^[0-9]+$/ && ($2 == "ref" || $2 == "other") && NF == 8 {
		k = $2 SUBSEP $3
		rate[k] = rate[k] " " $4; p50[k] = p50[k] " " $5; p99[k] = p99[k] " " $6; err[k] += $8
		r[$2, $3, $1] = $4; if (!($3 in seen)) { seen[$3] = 1; concs[++nc] = $3 }
		rounds[$1] = 1
	}
	END {
		printf "%-5s | %-32s | %-32s | %s\n", "", "reference (refserver)", "TNMMSGServ (bench/listener)", "ratio ours/ref"
		printf "%-5s | %9s %7s %7s %6s | %9s %7s %7s %6s | %s\n", "conc", "exch/s", "p50 ms", "p99 ms", "errors",
			"exch/s", "p50 ms", "p99 ms", "errors", "median (range over rounds)"
		for (i = 1; i <= nc; i++) {
			c = concs[i]; a = "ref" SUBSEP c; b = "other" SUBSEP c; ratios = ""
			for (n in rounds) if (r["ref", c, n] > 0) ratios = ratios " " r["other", c, n] / r["ref", c, n]
			m = median(ratios); rlo = lo; rhi = hi
			printf "%-5s | %9.0f %7.2f %7.2f %6d | %9.0f %7.2f %7.2f %6d | %.2f (%.2f-%.2f)\n", c,
				median(rate[a]), median(p50[a]) / 1000, median(p99[a]) / 1000, err[a],
				median(rate[b]), median(p50[b]) / 1000, median(p99[b]) / 1000, err[b], m, rlo, rhi
		}
	}' "$LOG"
awk '$1 ~ /^[0-9]+$/ && $2 == "floor" { print $4, $5 }' "$LOG" | sort -n | awk '{ r[NR] = $1; p[NR] = $2 }
	END { if (NR) printf "   floor (one blocking client against the reference, median round): %s exch/s, p50 %.2f ms\n",
		r[int((NR + 1) / 2)], p[int((NR + 1) / 2)] / 1000 }'
grep '^listener: messages' "$LOG" | sed 's/^/   /' || true

# 3. idle peers
echo
echo "== A fresh message while $IDLE idle peers connect and stay (held ${HOLD}s) =="
IDLE_OUT=$(env MIREVO_BENCH_IDLE_INNER=1 MIREVO_SHARED_BENCH="$SHARED" MIREVO_BENCH_BUILD="$BUILD" \
	unshare -n sh "$0" -k "$IDLE" -s "$HOLD" -p "$PORT")
echo "$IDLE_OUT" | awk -F'|' '
	BEGIN {
		printf "%-11s | %-20s | %-31s | %-26s | %s\n", "", "idle peers", "one sender while they connect",
			"one sender while held", "resident memory"
		printf "%-11s | %6s %6s %6s | %7s %7s %7s %6s | %7s %7s %7s %2s | %s\n", "listener", "opened", "held", "shut",
			"p50 ms", "p99 ms", "max ms", "errors", "p50 ms", "p99 ms", "max ms", "er",
			"idle / while held / peak (kB)"
	}
	{
		printf "%-11s | %6s %6s %6s | %7.2f %7.2f %7.2f %6s | %7.2f %7.2f %7.2f %2s | %s / %s / %s\n", $1, $2, $3, $4,
			$5 / 1000, $6 / 1000, $7 / 1000, $9, $10 / 1000, $11 / 1000, $12 / 1000, $13, $14, $15, $16
		if ($12 / 1000 < 100 && $7 / 1000 < 100 && $9 == 0 && $13 == 0)
			printf "%-11s   every fresh message answered within 100 ms (slowest %.1f ms of %d)\n", "",
				($7 > $12 ? $7 : $12) / 1000, $8 + 200
		else
			printf "%-11s   NOT every fresh message answered within 100 ms (slowest %.1f ms, errors %d)\n", "",
				($7 > $12 ? $7 : $12) / 1000, $9 + $13
	}
	END {
		print "   (held: established at the listener after the connecting; shut: idle peers the listener closed"
		print "    while held; memory: VmRSS before the peers and while held, peak VmHWM)"
	}'
