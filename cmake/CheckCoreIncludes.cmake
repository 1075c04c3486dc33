# Fails when a file of the core includes anything of QtWidgets or QtGui: the core runs
# without a display, for the command line and the tests alike.
#   cmake -DDIR=<src/core> -P CheckCoreIncludes.cmake
file(GLOB_RECURSE sources "${DIR}/*.h" "${DIR}/*.cpp")
set(found "")
foreach(source ${sources})
    file(STRINGS "${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*<Qt(Widgets|Gui)/|^[ \t]*#[ \t]*include[ \t]*<Q(Widget|Application|GuiApplication|Painter|Color|Font|Icon|Image|Pixmap|Action|MainWindow|Dialog|MessageBox|FileDialog|KeySequence|Brush|Pen|Palette|Screen|Window)>")
    foreach(line ${lines})
        list(APPEND found "${source}: ${line}")
    endforeach()
endforeach()
if(found)
    list(JOIN found "\n" text)
    message(FATAL_ERROR "the core includes widgets or GUI classes:\n${text}")
endif()
message(STATUS "the core includes nothing of QtWidgets or QtGui (${DIR})")
