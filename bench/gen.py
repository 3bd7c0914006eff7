#!/usr/bin/python3
"""Writes the inputs of the benchmark workloads, deterministically.

gen.py model N DIR   W1: N entities as model.vyh (Object blocks and a LIST),
                     model.json (the peers) and model.txt (the C++ writer)
gen.py w2 MB DIR     W2: a plain-text template of about MB megabytes with an
                     expression on every tenth line
"""
import json
import os
import sys

WORDS = ["account", "address", "amount", "balance", "batch", "carrier", "city", "code", "comment",
         "country", "created", "currency", "customer", "date", "discount", "email", "flag", "group",
         "invoice", "label", "level", "limit", "locale", "manager", "note", "number", "order", "owner",
         "parent", "phone", "price", "quantity", "rate", "region", "status", "street", "supplier",
         "tax", "total", "unit", "updated", "vendor", "weight", "zone"]
STEMS = ["Customer", "Order", "Invoice", "Product", "Shipment", "Supplier", "Payment", "Warehouse",
         "Employee", "Contract", "Ticket", "Account", "Region", "Campaign", "Voucher", "Delivery"]
TYPES = ["int", "long", "double", "bool", "std::string", "std::string"]


class Lcg:
    """A small linear congruential generator: the same model on every machine."""

    def __init__(self, seed):
        self.state = seed

    def next(self, n):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        return (self.state >> 8) % n


def model(n):
    rnd = Lcg(20240601)
    entities = []
    for i in range(n):
        name = STEMS[rnd.next(len(STEMS))] + str(i)
        count = 4 + rnd.next(13)
        fields = [{"name": "id", "type": "long", "key": 1}]
        used = {"id"}
        while len(fields) < count:
            word = WORDS[rnd.next(len(WORDS))]
            if word in used:
                word = word + str(len(fields))
            used.add(word)
            fields.append({"name": word, "type": TYPES[rnd.next(len(TYPES))],
                           "key": 1 if rnd.next(6) == 0 else 0})
        entities.append({"name": name, "fields": fields})
    return entities


def write_model(n, out):
    entities = model(n)
    with open(os.path.join(out, "model.json"), "w") as f:
        json.dump({"entities": entities}, f)
    with open(os.path.join(out, "model.txt"), "w") as f:
        for e in entities:
            f.write("E %s %d\n" % (e["name"], len(e["fields"])))
            for fl in e["fields"]:
                f.write("F %s %s %d\n" % (fl["name"], fl["type"], fl["key"]))
    with open(os.path.join(out, "model.vyh"), "w") as f:
        for i, e in enumerate(entities):
            names = []
            for j, fl in enumerate(e["fields"]):
                obj = "F%d_%d" % (i, j)
                names.append(obj)
                f.write("$[Object %s]$\n$[Name = '%s']$\n$[Type = '%s']$\n$[Key = %d]$\n$[End Object]$\n"
                        % (obj, fl["name"], fl["type"], fl["key"]))
            f.write("$[Object E%d]$\n$[Name = '%s']$\n$[Fields = LIST(%s)]$\n$[End Object]$\n"
                    % (i, e["name"], ", ".join(names)))
        f.write("$[Entities = LIST(%s)]$\n" % ", ".join("E%d" % i for i in range(len(entities))))


def write_w2(mb, out):
    target = mb * 1000 * 1000
    size = 0
    i = 0
    with open(os.path.join(out, "w2.vyr"), "w") as f:
        f.write("$[Output 'w2.out']$\n")
        while size < target:
            if i % 10 == 9:
                line = "    line %d of the template: $[n * 10 + %d]$ and $[UPPER(word)]$ end\n" % (i, i % 7)
            else:
                line = "    line %d of the template, plain text that is copied as it stands.\n" % i
            f.write(line)
            size += len(line)
            i += 1
    # The same bytes for cat.
    with open(os.path.join(out, "w2.vyr"), "rb") as src, open(os.path.join(out, "w2.txt"), "wb") as dst:
        dst.write(src.read())


def main():
    kind, size, out = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    os.makedirs(out, exist_ok=True)
    if kind == "model":
        write_model(size, out)
    elif kind == "w2":
        write_w2(size, out)
    else:
        sys.exit("unknown input kind " + kind)


if __name__ == "__main__":
    main()
