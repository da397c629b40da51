#!/usr/bin/python3
"""The other end of the program's HL7 messages in the tests, written with python-hl7 (not with the
program's code): it reads the messages and answers as an LIS would.

  hl7_peer.py read FILE
      reads the messages of an HL7 file (one after another) and prints one line per message
  hl7_peer.py listen LOG MODE [PORT [COUNT]]
      an MLLP listener on 127.0.0.1 (PORT, or a free one; the port and the listener's process ID
      are printed first). Each message received is read and its line appended to LOG; then it
      answers by MODE:
        AA CA AE AR   an acknowledgement with that code (AE and AR with a text of the LIS's own)
        each          AA, then the connection closed a moment later (one message per connection)
        silent        no answer, the connection kept open
        half          the first bytes of an acknowledgement, then the connection closed
        close         the connection closed as soon as a message begins
        other         AA for another control ID
        garbage       a frame that is not HL7
        stop          AA to the first COUNT messages, then the listener closes and ends

A message's line holds "name=HEX" items, HEX the UTF-8 bytes of the field's value as python-hl7
reads and unescapes it, so that any text (line breaks, "|" or Japanese) arrives as it is; a
listener's lines end with "bytes=HEX", the message as it arrived.
"""

import ctypes
import os
import signal
import socket
import sys
import time

import hl7

FIELDS = [
    ("segments", None), ("sending_application", "MSH.F3"), ("sending_facility", "MSH.F4"),
    ("receiving_application", "MSH.F5"), ("receiving_facility", "MSH.F6"), ("message_type", None),
    ("control_id", "MSH.F10"), ("processing", "MSH.F11"), ("version", "MSH.F12"), ("charset", "MSH.F18"),
    ("patient_id", "PID.F3"), ("placer", "OBR.F2"), ("assay_no", "OBR.F3"), ("service", "OBR.F4.R1.C1"),
    ("observed", "OBR.F7"), ("order_status", "OBR.F25"), ("value_type", "OBX.F2"),
    ("observation", "OBX.F3.R1.C2"), ("value", "OBX.F5"), ("unit", "OBX.F6"), ("abnormal", None),
    ("result_status", "OBX.F11"), ("observed_at", "OBX.F14"),
]


def line_of(message):
    items = []
    for name, key in FIELDS:
        if name == "segments":
            value = " ".join(str(segment[0]) for segment in message)
        elif name == "message_type":
            value = str(message.segment("MSH")(9))
        elif name == "abnormal":
            value = str(message.segment("OBX")(8))
        else:
            value = message[key]
        items.append(name + "=" + str(value).encode("utf-8").hex())
    for note in (segment for segment in message if str(segment[0]) == "NTE"):
        items.append("note=" + message.unescape(str(note(3))).encode("utf-8").hex())
    return " ".join(items)


def read(path):
    text = open(path, "rb").read().decode("utf-8")
    for number, message in enumerate(text.split("\rMSH|")):
        print(line_of(hl7.parse(message if number == 0 else "MSH|" + message)))


def ack(code, control_id, text=""):
    message = "MSH|^~\\&|LIS|HOSPITAL|QUORIN|LAB|20261201120000||ACK^R01^ACK|A" + control_id + "|P|2.5.1\r"
    message += "MSA|" + code + "|" + control_id + "|" + text + "\r"
    if text:
        message += "ERR||||E||||" + "患者IDが登録されていません\\F\\照合不可" + "\r"
    return b"\x0b" + message.encode("utf-8") + b"\x1c\x0d"


def end_with_parent():
    """Ends the listener with the test that started it, even when the test crashes."""
    ctypes.CDLL(None).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG
    if os.getppid() == 1:
        sys.exit(0)


def listen(log_path, mode, port, count):
    end_with_parent()
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", port))
    server.listen(8)
    print(server.getsockname()[1], os.getpid(), flush=True)
    log = open(log_path, "a", encoding="ascii")
    answered = 0
    while True:
        connection, _ = server.accept()
        received = b""
        while True:
            data = connection.recv(65536)
            if not data:
                break
            received += data
            if mode == "close" and b"\x0b" in received:
                break
            while b"\x1c\x0d" in received:
                frame, received = received.split(b"\x1c\x0d", 1)
                raw = frame[frame.index(b"\x0b") + 1:]
                message = hl7.parse(raw.decode("utf-8"))
                log.write(line_of(message) + " bytes=" + raw.hex() + "\n")
                log.flush()
                control_id = message["MSH.F10"]
                if mode in ("AA", "CA"):
                    connection.sendall(ack(mode, control_id))
                elif mode in ("AE", "AR"):
                    connection.sendall(ack(mode, control_id, "検体を受け付けられません \\F\\ 照合"))
                elif mode == "each":
                    connection.sendall(ack("AA", control_id))
                    time.sleep(0.05)
                    connection.close()
                    break
                elif mode == "half":
                    connection.sendall(ack("AA", control_id)[:20])
                    connection.close()
                    break
                elif mode == "other":
                    connection.sendall(ack("AA", "OTHER" + control_id[5:]))
                elif mode == "garbage":
                    connection.sendall(b"\x0bHELLO\x1c\x0d")
                elif mode == "stop":
                    connection.sendall(ack("AA", control_id))
                    answered += 1
                    if answered == count:
                        connection.close()
                        server.close()
                        return
            if connection.fileno() < 0:
                break
        connection.close()


if __name__ == "__main__":
    if sys.argv[1] == "read":
        read(sys.argv[2])
    else:
        listen(sys.argv[2], sys.argv[3], int(sys.argv[4]) if len(sys.argv) > 4 else 0,
               int(sys.argv[5]) if len(sys.argv) > 5 else 0)
