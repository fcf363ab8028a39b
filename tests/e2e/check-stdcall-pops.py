#!/usr/bin/python3
"""Check, from its machine code, that every export of the 32-bit DLL takes
exactly its own arguments off the stack.

usage: check-stdcall-pops.py OBJDUMP DLL

A __stdcall function returns with `ret $N`, where N is the number of bytes
of arguments its caller pushed; a host's runtime relies on that to find its
stack where it left it. The export table (OBJDUMP -p) gives each entry
point's address; the disassembly from there to the next symbol (the DLL
keeps its symbol table) must hold at least one return, and every return in
it must pop the entry point's argument bytes. Prints one line per export and
exits with 1 when any differs.
"""
import re
import subprocess
import sys

# Bytes of arguments a host pushes: four bytes per 32-bit value or pointer,
# eight per double.
ARGUMENT_BYTES = {
    "Trendel_SetValues": 108,
    "Trendel_DrawGraph": 4,
    "Trendel_MouseMove": 16,
    "Trendel_SetRedraw": 8,
    "Trendel_SaveFile": 16,
    "Trendel_Destroy": 4,
}
# Far more than any export's own code; the next symbol ends the reading.
READ_LIMIT = 0x4000

IMAGE_BASE = re.compile(r"^ImageBase\s+([0-9a-fA-F]+)$", re.MULTILINE)
ADDRESS_ENTRY = re.compile(r"^\s*\[\s*(\d+)\] \+base\[\s*\d+\]\s+([0-9a-fA-F]+) Export RVA$",
                           re.MULTILINE)
NAME_ENTRY = re.compile(r"^\s*\[\s*(\d+)\] (\S+)$")
LABEL = re.compile(r"^[0-9a-f]+ <([^>]+)>:$")
RETURN = re.compile(r"\tret\s*(\$0x[0-9a-f]+)?\s*$")


def run(*command):
    return subprocess.run(command, check=True, capture_output=True, text=True).stdout


def export_addresses(objdump, dll):
    """Each exported name with the address it is loaded at."""
    tables = run(objdump, "-p", dll)
    image_base = int(IMAGE_BASE.search(tables).group(1), 16)
    relative = {int(index): int(rva, 16) for index, rva in ADDRESS_ENTRY.findall(tables)}
    names = tables.split("[Ordinal/Name Pointer] Table", 1)[1]
    addresses = {}
    for line in names.splitlines()[1:]:
        match = NAME_ENTRY.match(line)
        if match is None:
            break
        addresses[match.group(2)] = image_base + relative[int(match.group(1))]
    return addresses


def returns_of(objdump, dll, address):
    """The operands of the returns in the function at address ("" for a plain ret)."""
    listing = run(objdump, "-d", f"--start-address={address:#x}",
                  f"--stop-address={address + READ_LIMIT:#x}", dll)
    returns = []
    labels = 0
    for line in listing.splitlines():
        if LABEL.match(line):
            labels += 1
            if labels > 1:
                break
            continue
        match = RETURN.search(line)
        if match:
            returns.append(match.group(1) or "")
    return returns


def main(objdump, dll):
    addresses = export_addresses(objdump, dll)
    failures = 0
    for name, argument_bytes in ARGUMENT_BYTES.items():
        if name not in addresses:
            print(f"{name}: not exported")
            failures += 1
            continue
        returns = returns_of(objdump, dll, addresses[name])
        expected = f"${argument_bytes:#x}"
        shown = ", ".join(f"ret {operand}".strip() for operand in returns) or "no return"
        if returns and all(operand == expected for operand in returns):
            print(f"{name}: pops {argument_bytes} bytes ({shown})")
        else:
            print(f"{name}: expected every return to be ret {expected}, found {shown}")
            failures += 1
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
