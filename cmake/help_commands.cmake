# The commands with a help text of their own, src/cli/help/NAME.txt, in the order the
# manual page's synopsis gives them.
set(WAVESPEC_HELP_COMMANDS process plot convert info inventory flatfile)
