#!/usr/bin/env python3
"""Writes a pins.dat with a few example pins (texts, a template, a picture, files) for the
README's screenshots, or with COUNT numbered text pins for the journeys that need a full
Pinned section.  usage: demo_pins.py OUTPUT_FILE [COUNT]"""
import struct
import sys


def string(b):
    return struct.pack('<I', len(b)) + b


def record(kind, animal, name, variables, content):
    out = bytes([kind, animal, 0])
    out += b'\x01' + string(name.encode()) if name else b'\x00'
    out += bytes([len(variables)])
    for var_name, var_kind, options in variables:
        out += string(var_name.encode()) + bytes([var_kind])
        out += struct.pack('<I', len(options)) + b''.join(string(o.encode()) for o in options)
        out += struct.pack('<I', 0)
    return out + content


def picture():
    width, height = 64, 40
    header = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 32, 0, width * height * 4, 0, 0, 0, 0)
    pixels = bytearray()
    for y in range(height):
        for x in range(width):
            pixels += bytes([255 - x * 3, 120 + y * 3, x * 4, 255])
    return header + bytes(pixels)


def files(paths):
    out = struct.pack('<I', len(paths))
    for p in paths:
        units = p.encode('utf-16-le')
        out += struct.pack('<I', len(units) // 2) + units
    return out


pins = [
    record(0, 12, 'Signature', [], string('Kind regards,\r\nAnn Example'.encode())),
    record(0, 15, 'Letter', [('name', 0, []), ('size', 2, ['S', 'M', 'L'])],
           string('Dear ${name}, your parcel (size ${size}) is on its way.'.encode())),
    record(1, 22, 'Chart', [], string(picture())),
    record(2, 26, None, [], files(['C:\\windows\\notepad.exe', 'C:\\windows\\regedit.exe', 'C:\\windows\\win.ini'])),
]
if len(sys.argv) > 2:
    pins = [record(0, n % 30, None, [], string(f'pin number {n + 1}'.encode()))
            for n in range(int(sys.argv[2]))]
with open(sys.argv[1], 'wb') as f:
    f.write(b'KRVN' + struct.pack('<II', 4, len(pins)) + b''.join(pins))
