# Makes a generated recognizer build its state machine when the first one is constructed
# instead of at program start. The generator puts that work (deserialising the ATN and
# setting up its DFA tables) into a static `Initializer` object, so every run paid for it,
# `rilk --version` and a no-op build that never reads a file through the grammar included.
# Constructing it as a function-local static in the recognizer's constructor runs the same
# code once, thread-safely, on first use.
#
# Usage: cmake -DSOURCE=<generated .cpp> -DCLASS=<recognizer class> -DBASE=<Lexer|Parser>
#              -P lazy_recognizer_init.cmake
file(READ "${SOURCE}" text)

set(eager "${CLASS}::Initializer ${CLASS}::_init;")
set(constructor_begin "${CLASS}::${CLASS}(")
string(FIND "${text}" "${eager}" eager_at)
string(FIND "${text}" "${constructor_begin}" constructor_at)
if(eager_at EQUAL -1 OR constructor_at EQUAL -1)
  message(FATAL_ERROR "${SOURCE}: the generated ${CLASS} does not have the expected static "
                      "initializer and constructor; the lazy set-up needs updating")
endif()
string(REPLACE "${eager}" "" text "${text}")

# The first statement of the constructor body creates the ATN simulator from the tables.
set(simulator "  _interpreter = new atn::${BASE}ATNSimulator(this, _atn,")
string(FIND "${text}" "${simulator}" simulator_at)
if(simulator_at EQUAL -1)
  message(FATAL_ERROR "${SOURCE}: ${CLASS}'s constructor does not start as expected")
endif()
string(REPLACE "${simulator}" "  static const Initializer initializeOnce;\n${simulator}" text "${text}")
file(WRITE "${SOURCE}" "${text}")
