#!/usr/bin/env bash
# The cluster route of docs/cluster.md on a real Slurm: a one-node cluster on this machine
# (munge, slurmctld and slurmd started directly, with a configuration of their own in a scratch
# folder), the array job of four shards and the picture job that depends on it, whose picture
# must equal a one-machine render byte for byte; then again with one shard's task cancelled
# midway and submitted again, which goes on from its rows file. Stops only the daemons it
# started, by their process ids.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
scripts/install-deps.sh slurm
build_preset release corvalis-render >/dev/null
render=$PWD/build/bin/corvalis-render
sbatch_script=$PWD/scripts/slurm/render.sbatch
hang_guard=300  # seconds; only against a hang

work=$(mktemp -d)
chmod 755 "$work"  # munged wants every folder above its socket open to all
started_daemons=()
stop_daemons() {
  for pid in "${started_daemons[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${started_daemons[@]}"; do
    timeout 30 tail --pid="$pid" -f /dev/null || kill -KILL "$pid" 2>/dev/null || true
  done
}
trap 'stop_daemons; rm -rf "$work"' EXIT
cd "$work"

# Waits until the command succeeds; fails after the hang guard.
wait_until() {
  local deadline=$((SECONDS + hang_guard))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || { echo "slurm-check: gave up waiting for: $*" >&2; return 1; }
    sleep 0.1
  done
}

mkdir -m 755 munge state spool log rows
dd if=/dev/urandom of=munge/munge.key bs=1024 count=1 status=none
chmod 400 munge/munge.key
munged --key-file="$work/munge/munge.key" --socket="$work/munge/socket" --pid-file="$work/munge/munged.pid" \
  --log-file="$work/log/munged.log" --seed-file="$work/munge/seed"
started_daemons+=("$(cat munge/munged.pid)")

host=$(hostname -s)
cat >slurm.conf <<CONF
ClusterName=corvalis-check
SlurmctldHost=$host(127.0.0.1)
AuthType=auth/munge
AuthInfo=socket=$work/munge/socket
CredType=cred/munge
SlurmUser=root
SlurmdUser=root
SlurmctldPort=16817
SlurmdPort=16818
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/log/slurmctld.log
SlurmdLogFile=$work/log/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
MpiDefault=none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
ReturnToService=2
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
NodeName=$host NodeAddr=127.0.0.1 CPUs=$(nproc) State=UNKNOWN
PartitionName=check Nodes=ALL Default=YES MaxTime=INFINITE State=UP
CONF
export SLURM_CONF=$work/slurm.conf
slurmctld -f "$SLURM_CONF"
wait_until test -s slurmctld.pid
started_daemons+=("$(cat slurmctld.pid)")
slurmd -f "$SLURM_CONF"
wait_until test -s slurmd.pid
started_daemons+=("$(cat slurmd.pid)")
wait_until sh -c 'sinfo --noheader --states=idle --format=%n | grep -q .'
sinfo

# Rows of equal cost (an x-range of 0.0002), 100 to a shard: the cancel comes after the first
# few of shard 2's rows, whatever the machine's speed.
computation=(--region 0.45 3.6 0.4502 3.9 --grid 20x400 --stripes 3)
export CORVALIS_RENDER=$render
"$render" "${computation[@]}" --quiet -o one-machine.png
echo "one-machine render: $(stat -c %s one-machine.png) bytes"

job_state() { scontrol show job "$1" 2>/dev/null | sed -n 's/.*JobState=\([A-Z_]*\).*/\1/p' | head -n 1; }
finished() { case $(job_state "$1") in COMPLETED|FAILED|CANCELLED|TIMEOUT|NODE_FAIL|OUT_OF_MEMORY) return 0 ;; *) return 1 ;; esac; }

# Runs the picture job after the given dependency and compares its picture.
picture_after() {  # dependency, picture
  local picture_job
  picture_job=$(sbatch --parsable --dependency="$1" --output="$work/log/%j.out" \
    --wrap "$render --quiet --from $work/rows/shard-*-of-4.rows -o $work/$2")
  wait_until finished "$picture_job"
  echo "picture job $picture_job: $(job_state "$picture_job")"
  [ "$(job_state "$picture_job")" = COMPLETED ] || { cat "log/$picture_job.out"; return 1; }
  cmp "$2" one-machine.png
  echo "$2: identical to the one-machine render"
}

echo "== Four shards as an array job, the picture job after it =="
phase_start=$(now)
array_job=$(sbatch --parsable --array=0-3 --output="$work/log/%A_%a.out" "$sbatch_script" 4 "$work/rows" "${computation[@]}")
echo "array job $array_job submitted"
picture_after "afterok:$array_job" cluster.png
took "four shards and the picture" "$phase_start"

echo "== Again, with shard 2's task cancelled midway and submitted again =="
phase_start=$(now)
rm -f rows/*.rows
record_bytes=$((8 * 20 + 8))  # the hits of a row's 20 cells, its number and its check
array_job=$(sbatch --parsable --array=0-3 --output="$work/log/%A_%a.out" "$sbatch_script" 4 "$work/rows" "${computation[@]}")
wait_until sh -c "[ \$(stat -c %s rows/shard-2-of-4.rows 2>/dev/null || echo 0) -gt $((200 + 2 * record_bytes)) ]"
scancel "${array_job}_2"
wait_until finished "${array_job}_2"
kept=$((($(stat -c %s rows/shard-2-of-4.rows) - $(grep -a -b -m1 '^records$' rows/shard-2-of-4.rows | cut -d: -f1) - 8) / record_bytes))
echo "task ${array_job}_2: $(job_state "${array_job}_2") with $kept of its 100 rows kept"
[ "$kept" -lt 100 ] || { echo "slurm-check: the task ended before it was cancelled" >&2; exit 1; }
again=$(sbatch --parsable --array=2 --output="$work/log/%A_%a.out" "$sbatch_script" 4 "$work/rows" "${computation[@]}")
echo "shard 2 submitted again as $again"
picture_after "afterok:${array_job}_0:${array_job}_1:${array_job}_3:$again" resumed.png
took "the cancelled shard resumed and the picture" "$phase_start"
