#!/usr/bin/env python3
"""Writes the signed test files of the signature contract test and the demo machine into
OUT: one catalog per signature class (certificate chains of our own keys whose names and
EKUs are those of the classes; the names are only strings), a catalog with no signer, and a
tiny driver (.sys) with an embedded cross-signature and one without any signature.

    make_test_catalogs.py OUT

A catalog is a PKCS#7 SignedData whose content is a certificate trust list
(1.3.6.1.4.1.311.10.1). The unsigned one is encoded here; osslsigncode signs a copy of it
for each class, as it signs a vendor's catalog, and embeds the signature in the .sys.
Needs openssl, osslsigncode and python3-cryptography."""
import datetime
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

from cryptography import x509
from cryptography.hazmat.primitives import hashes, serialization
from cryptography.hazmat.primitives.asymmetric import rsa
from cryptography.x509.oid import NameOID

CODE_SIGNING = "1.3.6.1.5.5.7.3.3"
WHQL = "1.3.6.1.4.1.311.10.3.5"
ATTESTED = "1.3.6.1.4.1.311.10.3.5.1"
WINDOWS_COMPONENT = "1.3.6.1.4.1.311.10.3.6"
ELAM = "1.3.6.1.4.1.311.61.4.1"

MS_ROOT = "Microsoft Root Certificate Authority 2010"
MS_THIRD_PARTY = "Microsoft Windows Third Party Component CA 2014"
MS_PCA = "Microsoft Windows Production PCA 2011"
MS_HW_PUBLISHER = "Microsoft Windows Hardware Compatibility Publisher"
MS_CODE_VERIFICATION = "Microsoft Code Verification Root"
VENDOR_ROOT = "Quillstone Public Root CA"
VENDOR_CA = "Quillstone Code Signing CA 2"
TEST_ROOT = "Tarnwick Private Test Root"


def day(text):
    return datetime.datetime.strptime(text, "%Y-%m-%d %H:%M:%S")


class Issuer:
    """A certificate of ours with its key, able to issue others."""

    def __init__(self, name, key, cert):
        self.name, self.key, self.cert = name, key, cert


def make_cert(subject, issuer, ekus=(), not_before="2020-01-01 00:00:00", ca=False, key=None):
    """subject's certificate issued by issuer (an Issuer, or None: self-issued)."""
    key = key or rsa.generate_private_key(public_exponent=65537, key_size=2048)
    name = x509.Name([x509.NameAttribute(NameOID.COMMON_NAME, subject)])
    start = day(not_before)
    builder = (x509.CertificateBuilder().subject_name(name)
               .issuer_name(issuer.cert.subject if issuer else name)
               .public_key(key.public_key()).serial_number(x509.random_serial_number())
               .not_valid_before(start).not_valid_after(start + datetime.timedelta(days=3650)))
    builder = builder.add_extension(x509.BasicConstraints(ca=ca, path_length=None), critical=True)
    if ekus:
        builder = builder.add_extension(
            x509.ExtendedKeyUsage([x509.ObjectIdentifier(e) for e in ekus]), critical=False)
    cert = builder.sign(issuer.key if issuer else key, hashes.SHA256())
    return Issuer(subject, key, cert)


# ---- DER, as much as the unsigned catalog needs ----
def der(tag, body):
    n = len(body)
    if n < 0x80:
        length = bytes([n])
    else:
        raw = n.to_bytes((n.bit_length() + 7) // 8, "big")
        length = bytes([0x80 | len(raw)]) + raw
    return bytes([tag]) + length + body


def oid(text):
    parts = [int(p) for p in text.split(".")]
    body = bytes([parts[0] * 40 + parts[1]])
    for p in parts[2:]:
        chunk = [p & 0x7F]
        p >>= 7
        while p:
            chunk.insert(0, 0x80 | (p & 0x7F))
            p >>= 7
        body += bytes(chunk)
    return der(0x06, body)


def seq(*items):
    return der(0x30, b"".join(items))


def unsigned_catalog(certs=()):
    """A SignedData with no signer whose content is a minimal CTL of one member."""
    ctl = seq(
        seq(oid("1.3.6.1.4.1.311.12.1.1")),                      # subjectUsage: catalog list
        der(0x04, bytes(range(16))),                               # listIdentifier
        der(0x17, b"250101000000Z"),                               # ctlThisUpdate
        seq(oid("1.3.6.1.4.1.311.12.1.2"), der(0x05, b"")),       # subjectAlgorithm: member
        seq(seq(der(0x04, bytes(20)), der(0x31, b""))),            # one member, no attributes
    )
    body = (der(0x02, b"\x01")                                     # version 1
            + der(0x31, b"")                                       # no digest algorithm
            + seq(oid("1.3.6.1.4.1.311.10.1"), der(0xA0, ctl)))
    if certs:
        body += der(0xA0, b"".join(c.cert.public_bytes(serialization.Encoding.DER) for c in certs))
    body += der(0x31, b"")                                         # no signer
    return seq(oid("1.2.840.113549.1.7.2"), der(0xA0, seq(body)))


def tiny_driver():
    """A PE32+ native image of one section holding `ret`: enough for a signature to be embedded."""
    dos = b"MZ" + bytes(0x3A) + (0x40).to_bytes(4, "little")
    coff = ((0x8664).to_bytes(2, "little") + (1).to_bytes(2, "little") + bytes(12)
            + (0xF0).to_bytes(2, "little") + (0x2022).to_bytes(2, "little"))
    opt = bytearray(0xF0)
    opt[0:2] = (0x20B).to_bytes(2, "little")            # PE32+
    opt[4:8] = (0x200).to_bytes(4, "little")            # SizeOfCode
    opt[16:20] = (0x1000).to_bytes(4, "little")         # AddressOfEntryPoint
    opt[20:24] = (0x1000).to_bytes(4, "little")         # BaseOfCode
    opt[24:32] = (0x140000000).to_bytes(8, "little")    # ImageBase
    opt[32:36] = (0x1000).to_bytes(4, "little")         # SectionAlignment
    opt[36:40] = (0x200).to_bytes(4, "little")          # FileAlignment
    opt[40:42] = (6).to_bytes(2, "little")              # OS version 6.0
    opt[48:50] = (6).to_bytes(2, "little")              # subsystem version
    opt[56:60] = (0x2000).to_bytes(4, "little")         # SizeOfImage
    opt[60:64] = (0x200).to_bytes(4, "little")          # SizeOfHeaders
    opt[68:70] = (1).to_bytes(2, "little")              # subsystem: native
    opt[72:80] = (0x40000).to_bytes(8, "little")        # stack reserve
    opt[80:88] = (0x1000).to_bytes(8, "little")
    opt[88:96] = (0x100000).to_bytes(8, "little")
    opt[96:104] = (0x1000).to_bytes(8, "little")
    opt[108:112] = (16).to_bytes(4, "little")           # NumberOfRvaAndSizes
    section = (b".text\0\0\0" + (1).to_bytes(4, "little") + (0x1000).to_bytes(4, "little")
               + (0x200).to_bytes(4, "little") + (0x200).to_bytes(4, "little") + bytes(12)
               + (0x60000020).to_bytes(4, "little"))
    headers = dos + b"PE\0\0" + coff + bytes(opt) + section
    return headers.ljust(0x200, b"\0") + b"\xC3".ljust(0x200, b"\0")


def pem(path, *certs):
    path.write_bytes(b"".join(c.cert.public_bytes(serialization.Encoding.PEM) for c in certs))


def sign(tmp, source, target, leaf, bag):
    """osslsigncode's signature of source by leaf, with leaf and bag as the message's certificates."""
    key = tmp / "key.pem"
    key.write_bytes(leaf.key.private_bytes(serialization.Encoding.PEM, serialization.PrivateFormat.PKCS8,
                                           serialization.NoEncryption()))
    chain = tmp / "chain.pem"
    pem(chain, leaf, *bag)
    target.unlink(missing_ok=True)
    subprocess.run(["osslsigncode", "sign", "-certs", str(chain), "-key", str(key), "-h", "sha256",
                    "-in", str(source), "-out", str(target)], check=True, stdout=subprocess.DEVNULL)


def main(out):
    out = Path(out)
    out.mkdir(parents=True, exist_ok=True)
    with tempfile.TemporaryDirectory() as t:
        tmp = Path(t)
        ms_root = make_cert(MS_ROOT, None, ca=True, not_before="2010-06-23 21:57:24")
        third_party = make_cert(MS_THIRD_PARTY, ms_root, ca=True, not_before="2014-10-15 20:31:27")
        pca = make_cert(MS_PCA, ms_root, ca=True, not_before="2011-10-19 18:41:42")
        verification_root = make_cert(MS_CODE_VERIFICATION, None, ca=True, not_before="2006-08-15 18:07:50")
        vendor_root = make_cert(VENDOR_ROOT, None, ca=True, not_before="2006-11-10 00:00:00")
        cross = make_cert(VENDOR_ROOT, verification_root, ca=True, not_before="2011-04-15 19:41:37",
                          key=vendor_root.key)
        vendor_ca = make_cert(VENDOR_CA, vendor_root, ca=True, not_before="2011-02-11 00:00:00")
        test_root = make_cert(TEST_ROOT, None, ca=True, not_before="2023-01-01 00:00:00")

        unsigned = out / "unsigned.cat"
        unsigned.write_bytes(unsigned_catalog([third_party]))
        # name: leaf, the rest of the message's certificates
        catalogs = {
            "whql.cat": (make_cert(MS_HW_PUBLISHER, third_party, [WHQL, CODE_SIGNING], "2024-02-20 19:35:10"),
                         [third_party]),
            "attestation.cat": (make_cert(MS_HW_PUBLISHER, third_party, [CODE_SIGNING, WHQL, ATTESTED],
                                          "2024-05-02 18:11:00"), [third_party]),
            "inbox.cat": (make_cert("Microsoft Windows", pca, [CODE_SIGNING, WINDOWS_COMPONENT],
                                    "2023-10-19 19:51:51"), [pca]),
            "elam.cat": (make_cert("Microsoft Windows Early Launch Anti-malware Publisher", third_party,
                                   [CODE_SIGNING, ELAM], "2022-03-03 20:00:00"), [third_party]),
            # The last second before the cut-off and the first second on it.
            "cross-2015-07-28.cat": (make_cert("Fenlake Semiconductor Co.", vendor_ca, [CODE_SIGNING],
                                               "2015-07-28 23:59:59"), [vendor_ca, cross]),
            "cross-2015-07-29.cat": (make_cert("Fenlake Semiconductor Co.", vendor_ca, [CODE_SIGNING],
                                               "2015-07-29 00:00:00"), [vendor_ca, cross]),
            "authenticode.cat": (make_cert("Orrin Peripherals Ltd.", vendor_ca, [CODE_SIGNING],
                                           "2021-06-01 00:00:00"), [vendor_ca]),
            "selfsigned.cat": (make_cert("Tarnwick Devices", None, [CODE_SIGNING], "2023-03-01 00:00:00"), []),
            "testsigned.cat": (make_cert("WDKTestCert builder,133", test_root, [CODE_SIGNING],
                                         "2023-04-01 00:00:00"), [test_root]),
        }
        for name, (leaf, bag) in catalogs.items():
            sign(tmp, unsigned, out / name, leaf, bag)

        plain = out / "plain.sys"
        plain.write_bytes(tiny_driver())
        leaf = make_cert("Fenlake Semiconductor Co.", vendor_ca, [CODE_SIGNING], "2014-03-12 00:00:00")
        sign(tmp, plain, out / "cross-embedded.sys", leaf, [vendor_ca, cross])
        (out / "not-pkcs7.cat").write_bytes(b"[Version]\r\nSignature=\"$Windows NT$\"\r\n" * 8)
        whql = (out / "whql.cat").read_bytes()
        (out / "truncated.cat").write_bytes(whql[: len(whql) // 2])
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    for tool in ("osslsigncode",):
        if not shutil.which(tool):
            print(f"{tool} is missing (scripts/install-deps.sh installs it)", file=sys.stderr)
            sys.exit(3)
    sys.exit(main(sys.argv[1]))
