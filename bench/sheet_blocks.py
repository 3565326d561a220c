"""Lines of generated sheets for the runner benchmarks, as line text."""


def block(k):
    """Ten lines: seven expressions (one array, one formatted), an IF with a child, a comment
    and a LET, their names numbered k."""
    return [f"o 1 a{k}:={k}*2", f"o 1 b{k}:=a{k}+1", f"o 2 if b{k}>0", f"o 1 c{k}:=b{k}*3",
            f"o 1 rem note {k}", f"o 1 s{k}:=\"t\" & {k}", f"o 1 d{k}:={{1,2,3}}",
            f"o 1 let a{k}=a{k}+1", f"o 1 e{k}:=a{k}/7", f"o 1 f{k}:=e{k}      ''f number:0.00"]


def sheet_text(lines, head=()):
    """`lines` lines: the head lines, then blocks; CR LF line ends."""
    out, k = list(head), 0
    while len(out) < lines:
        out += block(k)
        k += 1
    return "\r\n".join(out[:lines]) + "\r\n"
