# The layer check on small made-up trees: it must pass a clean tree and name every kind of
# violation by file and line, or a broken check would pass the real tree silently.
#   cmake -DCHECK=<check-layers.cmake> -DWORK_DIR=<scratch folder> -P LayerCheckTest.cmake
set(failures 0)

function(make_tree root)
  file(REMOVE_RECURSE "${root}")
  foreach(folder core syntax model content pdfwrite edit document view app cli tests fuzz)
    file(WRITE "${root}/${folder}/Clean.h" "#pragma once\n#include \"core/Clean.h\"\n#include <vector>\n")
  endforeach()
endfunction()

# Runs the check on root; expect_pass is TRUE or FALSE; every further argument must occur in
# the output.
function(expect name root expect_pass)
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${root} -P ${CHECK}
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  set(ok TRUE)
  if(expect_pass AND NOT result EQUAL 0)
    set(ok FALSE)
  elseif(NOT expect_pass AND result EQUAL 0)
    set(ok FALSE)
  endif()
  foreach(text IN LISTS ARGN)
    string(FIND "${out}" "${text}" at)
    if(at EQUAL -1)
      set(ok FALSE)
    endif()
  endforeach()
  if(NOT ok)
    message(SEND_ERROR "${name}: unexpected result ${result}, wanted '${ARGN}' in:\n${out}")
  endif()
endfunction()

set(tree "${WORK_DIR}/tree")

make_tree("${tree}")
# Own folder, lower folders, and tests/fuzz including from anywhere are all allowed.
file(WRITE "${tree}/document/Uses.cpp" "#include \"document/Clean.h\"\n#include \"edit/Clean.h\"\n#include \"syntax/Clean.h\"\n")
file(WRITE "${tree}/tests/Uses.cpp" "#include \"app/Clean.h\"\n#include \"cli/Clean.h\"\n")
file(WRITE "${tree}/fuzz/Uses.cpp" "#include \"document/Clean.h\"\n")
expect("clean tree" "${tree}" TRUE "Layer order kept")

make_tree("${tree}")
# Blank lines, semicolons and brackets before the include must not shift the line number.
file(WRITE "${tree}/syntax/Up.h" "#pragma once\n\n// a; b [c \\\\ d\n  #  include \"model/Clean.h\"\n")
expect("upward include" "${tree}" FALSE "syntax/Up.h:4:" "syntax/ may include only core, syntax")

make_tree("${tree}")
file(WRITE "${tree}/content/Deep/Up.cpp" "#include <document/Clean.h>\n")
expect("upward include in a subfolder, angle brackets" "${tree}" FALSE "content/Deep/Up.cpp:1:")

make_tree("${tree}")
file(WRITE "${tree}/app/Peer.cpp" "#include \"cli/Clean.h\"\n")
expect("folders on one level" "${tree}" FALSE "app/Peer.cpp:1:")

make_tree("${tree}")
file(WRITE "${tree}/core/Test.cpp" "#include \"tests/Clean.h\"\n")
expect("library includes tests" "${tree}" FALSE "core/Test.cpp:1:")

make_tree("${tree}")
file(WRITE "${tree}/stray/Stray.h" "#pragma once\n")
file(WRITE "${tree}/view/Stray.cpp" "#include \"stray/Stray.h\"\n#include \"QtGui/QImage\"\n")
expect("folder outside the order" "${tree}" FALSE "view/Stray.cpp:1:" "stray/ has no place")

make_tree("${tree}")
file(REMOVE_RECURSE "${tree}/model")
expect("missing layer folder" "${tree}" FALSE "model/ is in the layer order but does not exist")

file(REMOVE_RECURSE "${WORK_DIR}")
