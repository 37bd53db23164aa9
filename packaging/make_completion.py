#!/usr/bin/env python3
"""Writes bash completion for a program from its own help.

Usage: make_completion.py NAME PROGRAM OUT

The commands are the entries under the "... commands:" headings of "PROGRAM --help"; each
command's options are the --words of "PROGRAM help COMMAND" (which spells out the placeholders
its usage names). A command added to the program is completed once the program is built again.
"""

import re
import subprocess
import sys


def run(program, *args):
    return subprocess.run([program, *args], check=True, capture_output=True, text=True).stdout


def commands_of(help_text):
    commands, listing = [], False
    for line in help_text.splitlines():
        if re.fullmatch(r"\S.* commands:", line):
            listing = True
        elif line and not line.startswith(" "):
            listing = False
        elif listing and re.match(r"  \S", line):
            commands.append(line.split()[0])
    return commands


def options_of(text):
    return sorted(set(re.findall(r"(?<![\w-])(--?[a-zA-Z][\w-]*)", text)) - {"-"})


def main():
    name, program, out = sys.argv[1:4]
    help_text = run(program, "--help")
    commands = commands_of(help_text)
    if not commands:
        sys.exit(f"make_completion.py: no commands in the help of {program}")
    options_section = help_text.split("Options:", 1)[-1]
    global_options = [o for o in options_of(options_section) if o.startswith("--")]
    function = "_" + re.sub(r"\W", "_", name)
    cases = []
    for command in commands:
        options = [o for o in options_of(run(program, "help", command)) if o.startswith("--")]
        cases.append(f'    {command}) echo "{" ".join(options + ["--help"])}" ;;')
    script = f"""# bash completion for {name}, written from its help when it was built.

{function}_options() {{
  case $1 in
{chr(10).join(cases)}
  esac
}}

{function}() {{
  local cur=${{COMP_WORDS[COMP_CWORD]}}
  local commands="{" ".join(commands)} help"
  COMPREPLY=()
  if ((COMP_CWORD == 1)); then
    COMPREPLY=($(compgen -W "$commands {" ".join(global_options)}" -- "$cur"))
  elif [[ ${{COMP_WORDS[1]}} == help ]]; then
    ((COMP_CWORD == 2)) && COMPREPLY=($(compgen -W "$commands" -- "$cur"))
  elif [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "$({function}_options "${{COMP_WORDS[1]}}")" -- "$cur"))
  fi
  # Any other word names a file or folder (levels, pictures, exchange files): the shell's own
  # file name completion (-o default) takes over when nothing is offered here.
  return 0
}}
complete -o default -F {function} {name}
"""
    with open(out, "w") as f:
        f.write(script)


if __name__ == "__main__":
    main()
