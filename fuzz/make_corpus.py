#!/usr/bin/env python3
"""Writes the seed corpora fuzz/corpus/fuzz_rowcheck, fuzz_query and fuzz_resolve.

The input layouts are described at the top of fuzz_rowcheck.cpp,
fuzz_query.cpp and fuzz_resolve.cpp. Run from anywhere; existing seeds are overwritten.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "..", "data")


def width(text):
    return sum(2 if "\u3400" <= c <= "\u4dbf" or "\u4e00" <= c <= "\u9fff" else 1 for c in text)


def pad(text, columns, right=False):
    fill = " " * (columns - width(text))
    return fill + text if right else text + fill


def row(letter, rank, desc, score):
    return "|%s|%s|%s|" % (pad(letter + str(rank), 5), pad(desc, 40), pad(str(score), 5, True))


def rows(letter, items):
    return "".join(row(letter, i + 1, d, s) + "\n" for i, (d, s) in enumerate(items))


def real_rows(name, count):
    with open(os.path.join(DATA, name), encoding="utf-8", newline="\n") as f:
        return "".join(f.readline() for _ in range(count))


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# ---- fuzz_rowcheck: mode byte (0 CPU, 1 GPU, 2 both split at FF FF), content

CPU, GPU, BOTH = b"\x00", b"\x01", b"\x02"
cpu3 = real_rows("cpu.txt", 3)
gpu3 = real_rows("gpu.txt", 3)
gpu_cjk = rows("G", [("Radeon R7 + R7 350双卡", 1982), ("移动版 Radeon HD 5870", 1248),
                     ("Radeon HD 8650G N HD 8650G+ HD 8570M双卡", 773)])
r1 = row("C", 1, "AMD Ryzen Threadripper 3970X", 47956)
r2 = row("C", 2, "AMD EPYC 774", 47281)


def lines(*texts, end="\n"):
    return "".join(t + end for t in texts).encode()


rowcheck = {
    "valid_cpu": CPU + real_rows("cpu.txt", 5).encode(),
    "valid_gpu_cjk": GPU + gpu_cjk.encode(),
    "valid_both_no_final_lf": BOTH + cpu3.encode() + b"\xff\xff" + gpu3.rstrip("\n").encode(),
    "valid_equal_scores": GPU + rows("G", [("SiS 630/730", 3), ("Sherry 1.3 for GMA 3150", 3),
                                           ("VIA Chrome9 HCM IGP", 1)]).encode(),
    "broken_width": CPU + lines(r1, r2.replace("774 ", "774  ")),
    "broken_crlf": CPU + lines(r1, r2, end="\r\n"),
    "broken_bom": CPU + b"\xef\xbb\xbf" + lines(r1),
    "broken_rank_gap": CPU + lines(r1, r2.replace("C2 ", "C3 ")),
    "broken_score_rises": CPU + lines(row("C", 1, "Slow", 100), row("C", 2, "Fast", 200)),
    "broken_stray_bar": CPU + lines(r1.replace("Ryzen", "Ry|en")),
    "broken_tab": GPU + lines(row("G", 1, "TITAN\tV", 16987)),
    "broken_leading_zero": CPU + lines(r1.replace("C1 ", "C01")),
    "broken_empty_line": CPU + lines(r1, "", r2),
    "broken_letter": BOTH + lines(r1) + b"\xff\xff" + lines(r1),
    "broken_utf8": GPU + gpu_cjk.encode()[:60] + b"\xe5\x8f" + b"\n",
    "broken_score_align": CPU + lines(r1.replace("|47956|", "|4795 |")),
    "broken_desc_space": CPU + lines(r1.replace("|AMD Ryzen", "| AMD Ryzen").replace("X  ", "X ")),
    "empty_both": BOTH + b"\xff\xff",
}
for name, data in rowcheck.items():
    write("fuzz_rowcheck", name, data)


# ---- fuzz_query: mode byte, old ResultCount, five terms


def units(text):
    return text.encode("utf-16-le", "surrogatepass")


def literal(text):
    data = units(text)
    return bytes([len(data) // 2]) + data


def piece(slot, start, length, flags):
    return b"\xff" + struct.pack("<H", slot) + bytes([start, length, flags])


def query(before, clicked, by_query, old_box, old_count, *terms, path=0):
    mode = before | clicked << 2 | (0x10 if by_query else 0) | (0x20 if old_box else 0) | path << 6
    data = bytes([mode, old_count])
    for t in terms:
        data += t if isinstance(t, bytes) else literal(t)
    return data


ALL, CPU_OPT, GPU_OPT = 0, 1, 2
SSE2, PORTABLE, AVX2 = 1, 2, 3
query_seeds = {
    "ryzen_click_all": query(CPU_OPT, ALL, False, False, 0, "ryzen"),
    "c1_query_all": query(ALL, ALL, True, True, 12, "C1"),
    "bar_click_cpu_limit_a": query(ALL, CPU_OPT, False, False, 0, "|"),
    "and_term_gpu": query(GPU_OPT, ALL, True, False, 0, "radeon", "hd", "ignored", "ignored", "x"),
    "or_terms_rule_c": query(ALL, GPU_OPT, False, False, 3, "titan", "", "quadro", "", "tesla"),
    "or_terms_rule_d": query(GPU_OPT, CPU_OPT, False, False, 0, "xeon", "", "epyc", "opteron"),
    "or_terms_rule_e": query(ALL, ALL, True, False, 0, "ryzen 9", "", "i9-", "threadripper",
                             "xeon w"),
    "or2_without_or1": query(ALL, ALL, True, False, 0, "gtx 10", "", "", "rtx", "radeon"),
    "spaces_only_main": query(GPU_OPT, GPU_OPT, True, True, 6, "  \u3000 ", "and", "or1"),
    "ideographic_spaces": query(ALL, CPU_OPT, False, True, 0, "\u3000 core i7 \u3000"),
    "row_piece_lowercase": query(ALL, ALL, True, False, 0, piece(1, 7, 12, 1)),
    "row_piece_cjk": query(ALL, GPU_OPT, False, False, 0, piece(3012 + 1061, 14, 12, 6)),
    "nul_and_surrogate": query(ALL, ALL, True, False, 0, "a\0\ud800", "\udfff"),
    "same_option_click": query(CPU_OPT, CPU_OPT, False, True, 9, "amd"),
    "sse2_or_terms": query(ALL, ALL, True, False, 0, "core i5", "", "g4560", "@3", path=SSE2),
    "portable_bar_gpu": query(ALL, GPU_OPT, False, False, 0, "|", path=PORTABLE),
    "avx2_and_term": query(ALL, ALL, True, False, 0, "geforce", "ti", path=AVX2),
    "portable_row_piece": query(ALL, ALL, True, False, 0, piece(4000, 1, 40, 0), "",
                                piece(20, 30, 4, 1), path=PORTABLE),
    "end_of_cpu_list": query(ALL, ALL, True, False, 0, piece(3012, 40, 255, 0), path=SSE2),
    "end_of_gpu_list": query(ALL, GPU_OPT, False, False, 0, piece(4734, 20, 255, 1),
                             path=PORTABLE),
    "start_of_lists": query(ALL, ALL, True, False, 0, piece(1, 0, 14, 0), "",
                            piece(3013, 0, 14, 0), path=AVX2),
    "long_term": query(ALL, ALL, True, False, 0, b"\xfe" + struct.pack("<H", 300) + units("x" * 300)),
}
for name, data in query_seeds.items():
    write("fuzz_query", name, data)

# fuzz_resolve: a scope byte (bit 2: UTF-16LE), then the name.
ALL_SCOPE, CPU_SCOPE, GPU_SCOPE = 0, 1, 2
resolve_seeds = {
    "wmi_cpu": (ALL_SCOPE, "Intel(R) Core(TM) i7 CPU X 980 @ 3.33GHz"),
    "wmi_xeon": (CPU_SCOPE, "Intel(R) Xeon(R) CPU E5-2670 0 @ 2.60GHz"),
    "pci_entry": (GPU_SCOPE, "NVIDIA Corporation GA106M [GeForce RTX 3060 Mobile / Max-Q]"),
    "angle": (ALL_SCOPE, "ANGLE (NVIDIA, NVIDIA GeForce GTX 1060 6GB Direct3D11 vs_5_0 ps_5_0, D3D11)"),
    "mesa": (ALL_SCOPE, "AMD Radeon RX 6700 XT (navi22, LLVM 15.0.7, DRM 3.54, 6.5.0-1-rt-amd64)"),
    "buyer_glued": (ALL_SCOPE, "rtx4070super 12g"),
    "buyer_chinese": (ALL_SCOPE, "锐龙7 7800X3D 笔记本 显卡"),
    "combined_row": (GPU_SCOPE, "Radeon HD 7970 / R9 280X"),
    "cut_row": (CPU_SCOPE, "Snapdragon X2 Elite - X2E88100 - Qualcomm Oryon"),
    "dual_cards": (GPU_SCOPE, "Radeon HD 8650G + 8600/8700M双卡"),
}
for name, (scope, text) in resolve_seeds.items():
    write("fuzz_resolve", name, bytes([scope]) + text.encode("utf-8"))
write("fuzz_resolve", "utf16_apple", bytes([4 | ALL_SCOPE]) + "Apple M5 Max 14 Core".encode("utf-16-le"))
