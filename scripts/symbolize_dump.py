#!/usr/bin/env python3
"""Reads a crash dump of the host and prints the crashed thread's call stack.

Usage: scripts/symbolize_dump.py DUMP SYMBOLS_FOLDER

SYMBOLS_FOLDER holds the binaries of the same build with their debug
information (quorvane_ai.exe and the DLLs of a windows-preset build), or the
<binary>.debug files of the release's symbols archive, unpacked.
Each frame is looked up with llvm-symbolizer in the file of the module it
falls in. The first frame is where the exception happened; the others are
return addresses found on the crashed thread's stack (a stack scan: most are
real callers, a few may be stale values left on the stack).
"""
import os
import struct
import subprocess
import sys

THREAD_LIST, MODULE_LIST, EXCEPTION = 3, 4, 6
CONTEXT_RSP = 0x98
SCANNED_FRAMES = 24


def read_stream_directory(dump):
    signature, _, count, directory = struct.unpack_from("<4sIII", dump, 0)
    if signature != b"MDMP":
        sys.exit("not a minidump: the file does not start with MDMP")
    streams = {}
    for index in range(count):
        kind, size, rva = struct.unpack_from("<III", dump, directory + 12 * index)
        streams[kind] = (size, rva)
    return streams


def utf16_string(dump, rva):
    (length,) = struct.unpack_from("<I", dump, rva)
    return dump[rva + 4 : rva + 4 + length].decode("utf-16-le")


def read_modules(dump, rva):
    (count,) = struct.unpack_from("<I", dump, rva)
    modules = []
    for index in range(count):
        entry = rva + 4 + 108 * index
        base, size, _, _, name_rva = struct.unpack_from("<QIIII", dump, entry)
        name = utf16_string(dump, name_rva).replace("/", "\\").split("\\")[-1]
        modules.append((base, size, name))
    return modules


def read_exception(dump, rva):
    thread_id, _, code, _, _, address = struct.unpack_from("<IIIIQQ", dump, rva)
    # The crashed thread's context at the fault follows the 152-byte record.
    _, context_rva = struct.unpack_from("<II", dump, rva + 8 + 152)
    (rsp,) = struct.unpack_from("<Q", dump, context_rva + CONTEXT_RSP)
    return thread_id, code, address, rsp


def read_stack(dump, rva, wanted_thread):
    (count,) = struct.unpack_from("<I", dump, rva)
    for index in range(count):
        entry = rva + 4 + 48 * index
        thread_id = struct.unpack_from("<I", dump, entry)[0]
        start, stack_size, stack_rva = struct.unpack_from("<QII", dump, entry + 24)
        if thread_id == wanted_thread:
            return start, dump[stack_rva : stack_rva + stack_size]
    return None


def module_of(modules, address):
    for base, size, name in modules:
        if base <= address < base + size:
            return base, name
    return None


def preferred_base(path):
    with open(path, "rb") as image:
        header = image.read(4096)
    (pe_offset,) = struct.unpack_from("<I", header, 0x3C)
    # PE32+: the optional header follows the 24-byte file header; ImageBase at 24.
    (base,) = struct.unpack_from("<Q", header, pe_offset + 24 + 24)
    return base


def symbolize(symbols, name, offset):
    path = os.path.join(symbols, name)
    if not os.path.isfile(path):
        # The release's symbols archive holds <binary>.debug files.
        path += ".debug"
    if not os.path.isfile(path):
        return ""
    address = preferred_base(path) + offset
    result = subprocess.run(
        ["llvm-symbolizer", "--obj=" + path, "--functions=linkage", "--demangle", hex(address)],
        capture_output=True, text=True, check=False)
    lines = [line for line in result.stdout.splitlines() if line.strip()]
    if len(lines) < 2 or lines[0] == "??":
        return ""
    return lines[0] + " " + lines[1]


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    with open(sys.argv[1], "rb") as file:
        dump = file.read()
    symbols = sys.argv[2]
    streams = read_stream_directory(dump)
    if EXCEPTION not in streams or MODULE_LIST not in streams or THREAD_LIST not in streams:
        sys.exit("the dump has no exception, module list or thread list")
    modules = read_modules(dump, streams[MODULE_LIST][1])
    thread_id, code, address, rsp = read_exception(dump, streams[EXCEPTION][1])
    print(f"exception 0x{code:08X} on thread {thread_id}")

    frames = [address]
    stack = read_stack(dump, streams[THREAD_LIST][1], thread_id)
    if stack is not None:
        start, memory = stack
        for at in range(max(rsp - start, 0) & ~7, len(memory) - 7, 8):
            (value,) = struct.unpack_from("<Q", memory, at)
            if module_of(modules, value) is not None:
                frames.append(value)
            if len(frames) > SCANNED_FRAMES:
                break
    for number, frame in enumerate(frames):
        found = module_of(modules, frame)
        if found is None:
            print(f"#{number} 0x{frame:016X}")
            continue
        base, name = found
        # A return address points after its call; the call is one byte back.
        offset = frame - base - (1 if number > 0 else 0)
        print(f"#{number} {name}+0x{offset:X} {symbolize(symbols, name, offset)}".rstrip())


if __name__ == "__main__":
    main()
