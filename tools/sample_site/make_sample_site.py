#!/usr/bin/env python3
"""Writes a sample download site for one edition: the /instalador/ tree that the installer
fetches from, with the stand-in programs and sample archives that the RAR stand-in unpacks.

Sample archive layout (read by tools/rar_standin): the line "OVPK1", then per file the line
"F <size> <relative\\name>" followed by <size> bytes, then the line "E"; lines end with LF.

Usage: make_sample_site.py --out DIR --rar RAR.exe --firebird Firebird3.0.exe [--edition 3]
       [--filler-kib N]   (size of an incompressible data file in the product archive, so that a
                           slow server shows progress and a transfer can be cut off midway)
"""
import argparse
import os
import random
import shutil

# edition -> (download sub-folder, main executable); every edition uses the same database file.
EDITIONS = {
    -1: ("Representante/", "Ovilar.exe"),
    0: ("NFe/", "Ovilar.NotaFiscal.exe"),
    1: ("Ovilar/", "Ovilar.exe"),
    2: ("Ovilar.Ind/", "Ovilar.exe"),
    3: ("Ovilar.Conserto/", "Ovilar.exe"),
    4: ("Ovilar.AC/", "Ovilar.exe"),
    5: ("Ovilar.COM/", "Ovilar.exe"),
}
DATABASE_FILE = "DBOVILAR_KOVRA.FDB"

# The product's registration script: leaves a mark beside itself that it ran.
INSTALA_BAT = (b"@echo Registrando componentes\r\n"
               b"@echo instala.bat ran>> \"%~dp0instala-ran.log\"\r\n")


def pack(entries):
    out = bytearray(b"OVPK1\n")
    for name, data in entries:
        out += b"F %d %s\n" % (len(data), name.encode("utf-8"))
        out += data
    out += b"E\n"
    return bytes(out)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def database(version):
    return b"Sample Firebird database (ODS for server %s), empty: no customer data.\n" % version


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--out", required=True)
    ap.add_argument("--rar", required=True)
    ap.add_argument("--firebird", required=True)
    ap.add_argument("--edition", type=int, default=3)
    ap.add_argument("--filler-kib", type=int, default=64)
    args = ap.parse_args()

    subfolder, main_exe = EDITIONS[args.edition]
    root = os.path.join(args.out, "instalador")
    if os.path.isdir(root):
        shutil.rmtree(root)
    small_exe = open(args.rar, "rb").read()
    filler = random.Random(7).randbytes(args.filler_kib * 1024)

    write(os.path.join(root, "RAR.exe"), small_exe)
    shutil.copyfile(args.firebird, os.path.join(root, "Firebird3.0.exe"))
    write(os.path.join(root, subfolder, "executavel.rar"),
          pack([(main_exe, small_exe), ("instala.bat", INSTALA_BAT),
                ("Dados\\modelos.bin", filler)]))
    write(os.path.join(root, "arquivos.rar"),
          pack([("teamviewer.exe", small_exe),
                ("Relatorios\\leia-me.txt", b"Modelos de relatorio de exemplo.\r\n")]))
    write(os.path.join(root, subfolder, "Banco21.rar"), pack([(DATABASE_FILE, database(b"2.1"))]))
    write(os.path.join(root, subfolder, "Banco30.rar"), pack([(DATABASE_FILE, database(b"3.0"))]))
    print(root)


if __name__ == "__main__":
    main()
