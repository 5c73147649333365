# The layer check on small trees of its own: what it allows, what it refuses.
#   cmake -DCHECK=<check_layers.cmake> -DWORK=<empty folder to use> -P check_layers_test.cmake
cmake_minimum_required(VERSION 3.20)

set(failures "")

# tree(name RULES text FILES path content path content ...): a tree in WORK/name.
function(tree name)
  cmake_parse_arguments(T "" "RULES" "FILES" ${ARGN})
  set(dir ${WORK}/${name})
  file(REMOVE_RECURSE ${dir})
  file(WRITE ${dir}/cmake/layers.txt "${T_RULES}")
  list(LENGTH T_FILES n)
  math(EXPR last "${n} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET T_FILES ${i} path)
    list(GET T_FILES ${j} content)
    file(WRITE ${dir}/${path} "${content}\n")
  endforeach()
endfunction()

# expect(name PASS|FAIL [regex]): runs the check on WORK/name.
function(expect name outcome)
  execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${WORK}/${name} -P ${CHECK}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  string(REPLACE "\n" " " out "${out}")
  string(REGEX REPLACE "  +" " " out "${out}")
  if(outcome STREQUAL "PASS" AND NOT rc EQUAL 0)
    set(failures "${failures}\n${name}: expected to pass, got: ${out}" PARENT_SCOPE)
  elseif(outcome STREQUAL "FAIL" AND rc EQUAL 0)
    set(failures "${failures}\n${name}: expected to fail, passed: ${out}" PARENT_SCOPE)
  elseif(ARGC GREATER 2 AND NOT out MATCHES "${ARGV2}")
    set(failures "${failures}\n${name}: output does not match \"${ARGV2}\": ${out}" PARENT_SCOPE)
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK})

set(rules "# bottom up\nlib/low:\nlib/mid: lib/low\napp: lib/mid\nglue:\ncompose glue: app\n")

# Down the layers, through a transitive edge, and one compose step up.
tree(clean RULES "${rules}" FILES
  lib/low/a.h "#include <vector>"
  lib/mid/b.cpp "#include \"lib/mid/b.h\"\n#include \"lib/low/a.h\"\n#include \"local.h\""
  lib/mid/b.h "//"
  app/c.cpp "#include \"lib/low/a.h\"\n  #  include \"lib/mid/b.h\""
  glue/d.cpp "#include \"app/c.h\"")
expect(clean PASS "6 includes, all allowed")

tree(up RULES "${rules}" FILES
  lib/low/a.h "#include \"lib/mid/b.h\""
  lib/mid/b.h "//")
expect(up FAIL "lib/low/a.h: includes lib/mid/b.h \\(lib/low -> lib/mid is not allowed\\)")

# An include taken from the file's own folder ("../") or written in angle
# brackets is held to the rules like any other; system headers are not.
tree(relative RULES "${rules}" FILES
  lib/low/a.h "#include \"../mid/b.h\""
  lib/mid/b.h "//"
  lib/mid/c.cpp "#include \"b.h\"\n#include \"../low/a.h\"\n#include <lib/low/a.h>\n#include <sys/stat.h>")
expect(relative FAIL "lib/low/a.h: includes lib/mid/b.h \\(lib/low -> lib/mid is not allowed\\)")
tree(angle RULES "${rules}" FILES
  lib/low/a.h "#include <lib/mid/b.h>\n#include <vector>"
  lib/mid/b.h "//")
expect(angle FAIL "lib/low/a.h: includes lib/mid/b.h \\(lib/low -> lib/mid is not allowed\\)")
tree(downward RULES "${rules}" FILES
  app/x.h "//"
  glue/x.h "//"
  lib/low/a.h "//"
  lib/mid/b.h "//"
  lib/mid/c.cpp "#include \"b.h\"\n#include \"../low/a.h\"\n#include <lib/low/a.h>\n#include <sys/stat.h>")
expect(downward PASS "3 includes, all allowed")

# A compose edge is one step: not on to what its target may include.
tree(compose RULES "${rules}" FILES
  glue/d.cpp "#include \"lib/mid/b.h\""
  lib/mid/b.h "//")
expect(compose FAIL "glue -> lib/mid is not allowed")

tree(loop RULES "a: b\nb: c\nc: a\n" FILES a/x.h "//" b/x.h "//" c/x.h "//")
expect(loop FAIL "a is on a loop")

tree(unnamed RULES "${rules}" FILES
  lib/extra/e.h "//"
  app/c.cpp "#include \"lib/extra/e.h\"")
expect(unnamed FAIL "app/c.cpp: includes lib/extra/e.h, in a folder the rules do not name.*lib/extra/: code in a folder the rules do not name")

tree(unknown RULES "a: nowhere\n" FILES a/x.h "//")
expect(unknown FAIL "a -> nowhere, which the rules do not name")

file(REMOVE_RECURSE ${WORK})
if(failures)
  message(FATAL_ERROR "${failures}")
endif()
