# Installs README.md (SRC) as DEST: its commands name the installed program
# and examples (DIR/bin/..., DIR/share/doc/sorvanelix/examples/...) instead of
# those of the build folder. DIR stays a word: an installation may move.
file(READ ${SRC} text)
string(REPLACE "`./build/bin/sorvanelix-script examples/" "`DIR/bin/sorvanelix-script DIR/share/doc/sorvanelix/examples/" text "${text}")
string(REPLACE "./build/bin/sorvanelix-script examples/" "DIR/bin/sorvanelix-script DIR/share/doc/sorvanelix/examples/" text "${text}")
string(REPLACE "./build/bin/" "DIR/bin/" text "${text}")
file(WRITE ${DEST} "${text}")
