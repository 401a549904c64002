#!/usr/bin/env python3
"""How fast a stop gets its move: one engine, N long think requests, each stopped after a random
wait, the time from the stop's line to the move's line measured. Prints median and worst.

usage: tools/stop-latency.py [ENGINE] [-n 50] [--seed 1]
"""
import argparse, random, select, shlex, statistics, subprocess, time

STONES = "7,7,1\n8,8,2\n7,8,1\n6,9,2\n"


def is_move(text):
    parts = text.split(",")
    return len(parts) == 2 and all(p.lstrip("-").isdigit() for p in parts)


def read_until(engine, deadline, wanted=is_move):
    """Lines until one that `wanted` accepts (a move x,y); returns the time it came."""
    buffer = b""
    while time.monotonic() < deadline:
        ready, _, _ = select.select([engine.stdout], [], [], max(0.0, deadline - time.monotonic()))
        if not ready:
            break
        chunk = engine.stdout.read1(4096)
        if not chunk:
            break
        buffer += chunk
        for line in buffer.split(b"\n")[:-1]:
            if wanted(line.strip().decode(errors="replace")):
                return time.monotonic()
        buffer = buffer[buffer.rfind(b"\n") + 1:]
    raise SystemExit("the line did not come before the deadline")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("engine", nargs="?", default="build/pbrain-gravik",
                        help="the command that starts the engine, e.g. \"wine pbrain-gravik.exe\"")
    parser.add_argument("-n", type=int, default=50)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    engine = subprocess.Popen(shlex.split(args.engine), stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    # The engine's start (under an emulator, seconds) is not part of any stop.
    read_until(engine, time.monotonic() + 60, lambda text: text.startswith("DEBUG"))
    engine.stdin.write(b"INFO timeout_turn 20000\n")
    latencies = []
    for k in range(args.n):
        request = ["BOARD\n" + STONES + "DONE\n", "YXBOARD\n" + STONES + "DONE\nYXNBEST 3\n"][k % 2]
        engine.stdin.write(request.encode())
        engine.stdin.flush()
        time.sleep(rng.uniform(0.05, 0.6))
        stopped = time.monotonic()
        engine.stdin.write(b"YXSTOP\n")
        engine.stdin.flush()
        latencies.append((read_until(engine, stopped + 5) - stopped) * 1000)
    engine.stdin.write(b"END\n")
    engine.stdin.close()
    engine.wait(5)
    slowest = max(range(len(latencies)), key=latencies.__getitem__)
    print(f"slowest: stop {slowest + 1} of {len(latencies)}")
    latencies.sort()
    print(f"stops {len(latencies)}: median {statistics.median(latencies):.1f} ms, "
          f"worst {latencies[-1]:.1f} ms, best {latencies[0]:.1f} ms")


if __name__ == "__main__":
    main()
