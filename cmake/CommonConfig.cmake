# Compile settings shared by every target of the project.
add_library(tavrix_common INTERFACE)
target_compile_features(tavrix_common INTERFACE cxx_std_20)
# standard C++ only: no GNU extension slips in
target_compile_options(tavrix_common INTERFACE -Wall -Wextra -pedantic-errors)
target_compile_definitions(tavrix_common INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_USE_QSTRINGBUILDER)
if(TAVRIX_SANITIZE)
    # GCC's "undefined" leaves out float-cast-overflow: an out-of-range number cast to an
    # integer must be seen too
    target_compile_options(tavrix_common INTERFACE -fsanitize=address,undefined,float-cast-overflow -fno-omit-frame-pointer)
    target_link_options(tavrix_common INTERFACE -fsanitize=address,undefined,float-cast-overflow)
endif()
if(TAVRIX_TSAN)
    # the threaded work under ThreadSanitizer (scripts/tsan.sh)
    target_compile_options(tavrix_common INTERFACE -fsanitize=thread -fno-omit-frame-pointer -g)
    target_link_options(tavrix_common INTERFACE -fsanitize=thread)
endif()
if(TAVRIX_FUZZ)
    # every line of the project is instrumented for libFuzzer's coverage, under ASan and UBSan
    target_compile_options(tavrix_common INTERFACE -fsanitize=fuzzer-no-link,address,undefined,float-cast-overflow
                           -fno-sanitize-recover=undefined,float-cast-overflow -fno-omit-frame-pointer -g)
    target_link_options(tavrix_common INTERFACE -fsanitize=address,undefined,float-cast-overflow)
endif()
