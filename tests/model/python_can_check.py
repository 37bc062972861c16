"""Reads or writes a log with python-can, the independent implementation the log tests check
ours against.

    python_can_check.py read FORMAT FILE            one line a frame: microseconds from the
                                                    first frame, identifier, extended, remote,
                                                    length, data in hex
    python_can_check.py write FORMAT FILE SOURCE    FILE in FORMAT with the frames of the
                                                    candump log SOURCE

FORMAT is log, asc, blf or trc. Exit status 3: python-can is not installed.
"""
import sys

try:
    import can
except ImportError:
    print("python3-can is not installed; scripts/bootstrap.sh installs it", file=sys.stderr)
    sys.exit(3)

READERS = {"log": can.CanutilsLogReader, "asc": can.ASCReader, "blf": can.BLFReader, "trc": can.TRCReader}
WRITERS = {"log": can.CanutilsLogWriter, "asc": can.ASCWriter, "blf": can.BLFWriter, "trc": can.TRCWriter}


def read(fmt, path):
    first = None
    lines = []
    with READERS[fmt](path) as reader:
        for msg in reader:
            if msg.is_error_frame:
                continue
            if first is None:
                first = msg.timestamp
            data = b"" if msg.is_remote_frame else bytes(msg.data)
            lines.append(f"{round((msg.timestamp - first) * 1e6)} {msg.arbitration_id} {int(msg.is_extended_id)} "
                         f"{int(msg.is_remote_frame)} {msg.dlc} {data.hex()}")
    print("\n".join(lines))


def write(fmt, path, source):
    with can.CanutilsLogReader(source) as reader, WRITERS[fmt](path) as writer:
        for msg in reader:
            writer.on_message_received(msg)


if __name__ == "__main__":
    if sys.argv[1] == "read":
        read(sys.argv[2], sys.argv[3])
    else:
        write(sys.argv[2], sys.argv[3], sys.argv[4])
