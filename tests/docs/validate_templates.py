#!/usr/bin/env python3
"""Validates every template in JSON that the project writes against docs/template.schema.json
(draft 2020-12): the sources of the example templates, the fuzz seeds, and the JSON form that
`tessaly-cli template FILE --json` gives of every template of the tests and the examples. Then
checks that the schema refuses documents with a mistake, so that it cannot pass everything.

    validate_templates.py TESSALY_CLI SOURCE_DIR
"""
import glob
import json
import os
import shutil
import subprocess
import sys
import tempfile

from jsonschema import Draft202012Validator

MINIMAL = {"format": "tessaly-template", "version": 1}

# Documents the schema must refuse: (what is wrong, the document).
BROKEN = [
    ("an unknown key", {**MINIMAL, "colour": 1}),
    ("a version that is not 1", {"format": "tessaly-template", "version": 2}),
    ("an unknown key in a text object", {**MINIMAL, "pages": [{"objects": [{"type": "memo", "colour": "#000000"}]}]}),
    ("a font on a band", {**MINIMAL, "pages": [{"objects": [{"type": "band", "band": "pageHeader", "font": {}}]}]}),
    ("a band without its type", {**MINIMAL, "pages": [{"objects": [{"type": "band"}]}]}),
    ("a dataset key on a page header", {**MINIMAL, "pages": [{"objects": [{"type": "band", "band": "pageHeader", "dataset": "x"}]}]}),
    ("a position as text", {**MINIMAL, "pages": [{"objects": [{"type": "memo", "left": "3"}]}]}),
    ("a width beyond 32 bits", {**MINIMAL, "pages": [{"objects": [{"type": "memo", "width": 2147483648}]}]}),
    ("a colour without #", {**MINIMAL, "pages": [{"objects": [{"type": "memo", "fill": "FF0000"}]}]}),
    ("a sub-report without its page", {**MINIMAL, "pages": [{"objects": [{"type": "subReport"}]}]}),
    ("a filter without a database dataset", {**MINIMAL, "datasets": [{"name": "d", "filter": "x"}]}),
    ("an expression of a field value", {**MINIMAL, "values": [{"name": "v", "kind": "field", "expression": "1"}]}),
    ("a name past 255 characters", {**MINIMAL, "values": [{"name": "n" * 256}]}),
    ("an object type that does not exist", {**MINIMAL, "pages": [{"objects": [{"type": "chart"}]}]}),
]


def template_files(root):
    files = sorted(glob.glob(os.path.join(root, "tests/fuzz/corpus/template/*")))
    files += sorted(glob.glob(os.path.join(root, "tests/data/fuzz/prepare-*")))
    files += sorted(glob.glob(os.path.join(root, "examples/*.cvf")))
    return files


def converted(cli, root, scratch):
    """The JSON form of every template, as tessaly-cli writes it."""
    out = []
    for i, source in enumerate(template_files(root)):
        copy = os.path.join(scratch, "%03d.cvf" % i)
        shutil.copyfile(source, copy)
        target = os.path.join(scratch, "%03d.json" % i)
        run = subprocess.run([cli, "template", copy, "--json", target], capture_output=True)
        if run.returncode != 0:
            sys.exit("tessaly-cli template %s --json failed: %s" % (source, run.stderr.decode()))
        out.append((source + " (in JSON)", target))
    return out


def main():
    cli, root = sys.argv[1], sys.argv[2]
    with open(os.path.join(root, "docs/template.schema.json"), encoding="utf-8") as f:
        schema = json.load(f)
    Draft202012Validator.check_schema(schema)
    validator = Draft202012Validator(schema)
    written = [(f, f) for f in sorted(glob.glob(os.path.join(root, "examples/*.json")))]
    written += [(f, f) for f in sorted(glob.glob(os.path.join(root, "tests/fuzz/corpus/template_json/*.json")))]
    failures = []
    with tempfile.TemporaryDirectory() as scratch:
        written += converted(cli, root, scratch)
        if len(written) < 30:
            failures.append("only %d documents to validate" % len(written))
        for name, path in written:
            with open(path, encoding="utf-8") as f:
                document = json.load(f)
            for error in validator.iter_errors(document):
                failures.append("%s: %s at %s" % (name, error.message, "/".join(map(str, error.absolute_path))))
    for what, document in BROKEN:
        if validator.is_valid(document):
            failures.append("the schema accepts " + what)
    for failure in failures:
        print(failure)
    if failures:
        return 1
    print("%d documents valid, %d broken ones refused" % (len(written), len(BROKEN)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
