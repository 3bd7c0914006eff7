#!/usr/bin/python3
"""Renders the W1 template with Jinja2 or Mako: w1_python.py jinja2|mako TEMPLATE MODEL OUT."""
import json
import sys


def main():
    engine, template_path, model_path, out_path = sys.argv[1:5]
    with open(model_path) as f:
        model = json.load(f)
    with open(template_path) as f:
        source = f.read()
    if engine == "jinja2":
        import jinja2
        env = jinja2.Environment(trim_blocks=True, lstrip_blocks=True, keep_trailing_newline=True,
                                 newline_sequence="\r\n", autoescape=False)
        text = env.from_string(source).render(**model)
    elif engine == "mako":
        from mako.template import Template
        text = Template(source).render(**model).replace("\n", "\r\n")
    else:
        sys.exit("unknown engine " + engine)
    with open(out_path, "w", newline="") as f:
        f.write(text)


if __name__ == "__main__":
    main()
