#!/usr/bin/env python3
"""prove (and its reader, TAP::Parser), PyYAML and tappy read the TAP that
pellmark-run writes alike: every test point, and the lines in each YAML block
as the device sent them."""
import json, subprocess, sys, tempfile
import yaml
from tap.parser import Parser

# Each echoed back by the demo device, each something a YAML reader may misread.
texts = ["heap: 1024", "a : b", "x:", "a #b", "- item", "it's", 'say "hi"', "C:\\fw\\x41", '\\"', "ｶﾅ #: -"]
script = "device demo\n" + "".join(f"test {i}\nsend ECHO {t}\nexpect NO within 50ms\n" for i, t in enumerate(texts))
script += "test kana\nsend KANA\nexpect - a: 'b' \"c\" \\ # d within 50ms\n"
wanted = [[t] for t in texts] + [["ﾃﾞﾓ ﾃﾞﾊﾞｲｽ", "こんにちは、世界。送受信テスト"]]

with tempfile.NamedTemporaryFile("w", suffix=".script") as file:
    file.write(script)
    file.flush()
    tap = subprocess.run([sys.argv[1], file.name], capture_output=True, text=True).stdout
with tempfile.NamedTemporaryFile("w", suffix=".tap") as file:
    file.write(tap)
    file.flush()
    proved = subprocess.run(["prove", "-e", "cat", file.name], capture_output=True, text=True).stdout
    perl = ("use TAP::Parser; use JSON::PP; local $/; open my $f, '<', $ARGV[0]; my $p = TAP::Parser->new({tap => <$f>});"
            "my @y; while (my $r = $p->next) { push @y, $r->data if $r->is_yaml }"
            "print JSON::PP->new->encode([[$p->parse_errors], \\@y])")
    errors, by_prove = json.loads(subprocess.run(["perl", "-e", perl, file.name], capture_output=True).stdout)

blocks, block = [], None
for line in tap.splitlines():
    if line == "  ---":
        block = []
    elif line == "  ...":
        blocks.append(yaml.safe_load("\n".join(block)))
        block = None
    elif block is not None:
        block.append(line[2:])
by_tappy = [line.yaml_block for line in Parser().parse_text(tap) if line.category == "test"]

def text(value):  # prove reads numbers as text
    return {k: text(v) for k, v in value.items()} if isinstance(value, dict) else value if isinstance(value, list) else str(value)

problems = []
if errors or f"Failed {len(wanted)}/{len(wanted)} subtests" not in proved:
    problems.append(f"prove: {errors} {proved}")
if not [text(b) for b in blocks] == [text(b) for b in by_tappy] == by_prove:
    problems.append(f"the readers differ:\n{blocks}\n{by_tappy}\n{by_prove}")
if [b.get("got") for b in blocks] != wanted or blocks[-1]["expected"] != "- a: 'b' \"c\" \\ # d":
    problems.append(f"not the lines sent: {blocks}")
print("\n".join(problems) or f"{len(blocks)} blocks read alike")
sys.exit(1 if problems else 0)
