# Compile settings shared by every target of the project.
add_library(tavrix_common INTERFACE)
target_compile_features(tavrix_common INTERFACE cxx_std_20)
target_compile_options(tavrix_common INTERFACE -Wall -Wextra)
target_compile_definitions(tavrix_common INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_USE_QSTRINGBUILDER)
if(TAVRIX_SANITIZE)
    target_compile_options(tavrix_common INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer)
    target_link_options(tavrix_common INTERFACE -fsanitize=address,undefined)
endif()
