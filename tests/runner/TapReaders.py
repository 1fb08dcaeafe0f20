#!/usr/bin/env python3
# prove's parser and tappy's (PyYAML) read pellmark-run's TAP alike, each line as the device sent it.
import json, subprocess, sys
from tap.parser import Parser

# Each echoed by the demo device, each something a YAML reader may misread.
texts = ["heap: 1024", "a : b", "x:", "a #b", "- item", "it's", 'say "hi"', "C:\\fw\\x41", '\\"', "ｶﾅ #: -"]
script = "device demo\n" + "".join(f"test {i}\nsend ECHO {t}\nexpect NO within 50ms\n" for i, t in enumerate(texts))
script += "test kana\nsend KANA\nexpect - a: 'b' \"c\" \\ # d within 50ms\n"
wanted = [[t] for t in texts] + [["ﾃﾞﾓ ﾃﾞﾊﾞｲｽ", "こんにちは、世界。送受信テスト"]]
tap = subprocess.run([sys.argv[1], "-"], input=script, capture_output=True, text=True).stdout
perl = ("use TAP::Parser; use JSON::PP; my $p = TAP::Parser->new({tap => $ARGV[0]}); my @y;"
        "while (my $r = $p->next) { push @y, $r->data if $r->is_yaml } print JSON::PP->new->encode([[$p->parse_errors], \\@y])")
errors, by_prove = json.loads(subprocess.run(["perl", "-e", perl, tap], capture_output=True).stdout)
by_tappy = [line.yaml_block for line in Parser().parse_text(tap) if line.category == "test"]
for block in by_tappy:
    block["line"] = str(block["line"])  # prove reads numbers as text
if errors or by_tappy != by_prove or [b["got"] for b in by_tappy] != wanted or by_tappy[-1]["expected"] != "- a: 'b' \"c\" \\ # d":
    sys.exit(f"read otherwise: {errors}\n{by_tappy}\n{by_prove}")
