"""Runs a command and sends it a signal at a chosen instant, for the crash and save sweeps.

Usage: kill_at.py SIGNAL SECONDS OUT [--after GLOB] -- COMMAND ...
SECONDS count from the command's start, or with --after from the moment a file matching GLOB first appears (polled
every half millisecond; no signal when none appears). The command's standard output and error go to OUT. Prints
"STATUS SENT APPEARED ENDED": the command's exit status as a shell reports it (128 + the signal's number when one
ended it), then the milliseconds from its start to the signal ("-" when it ended before), to the file's appearance
("-" without one) and to its end.
"""
import glob
import signal
import subprocess
import sys
import time


def milliseconds(start):
    return str(round((time.monotonic() - start) * 1000))


def main(args):
    signal_name, seconds, out = args[0], float(args[1]), args[2]
    after = args[args.index("--after") + 1] if "--after" in args[:args.index("--")] else None
    command = args[args.index("--") + 1:]
    with open(out, "wb") as output:
        start = time.monotonic()
        process = subprocess.Popen(command, stdout=output, stderr=subprocess.STDOUT)
        origin = start
        appeared = "-"
        if after:
            while not glob.glob(after) and process.poll() is None:
                time.sleep(0.0005)
            origin = time.monotonic()
            if process.poll() is None:
                appeared = milliseconds(start)
        sent = "-"
        try:
            process.wait(timeout=max(0.0, origin + seconds - time.monotonic()))
        except subprocess.TimeoutExpired:
            process.send_signal(getattr(signal, "SIG" + signal_name))
            sent = milliseconds(start)
            process.wait()
        ended = milliseconds(start)
    status = process.returncode if process.returncode >= 0 else 128 - process.returncode
    print(status, sent, appeared, ended)


if __name__ == "__main__":
    main(sys.argv[1:])
