# 32-bit Linux with the host's g++ (g++-multilib): the portable core at the product's width.
# The programs run under qemu-i386 in user mode: a 64-bit kernel built without IA32 emulation
# (this machine's) cannot start 32-bit programs itself, and with it the results are the same.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
find_program(KX_QEMU_I386 qemu-i386 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${KX_QEMU_I386})
