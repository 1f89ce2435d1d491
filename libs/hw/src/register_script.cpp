// Register-set scripts: a section of the model's Register.ini run on the sensor bus and the board pins,
// and a section of the station's RPT_Setting.ini run on the repeater bus.
#include <string_view>

#include "hardware_controller.h"
#include "script_reader.h"

namespace hw {
namespace {

bool Starts(const ScriptLine& line, std::string_view prefix) { return line.text.rfind(prefix, 0) == 0; }

std::string Word(const ScriptLine& line, std::size_t index) {
  return index < line.words.size() ? line.words[index] : std::string();
}

constexpr std::uint8_t kDs160Bus = 0x30;

const char* I2cModeText(int mode) {
  switch (mode) {
    case 0: return "I2C (A:bit8 D:bit8)";
    case 1: return "I2C (A:bit8 D:bit16)";
    case 2: return "I2C (A:bit16 D:bit8)";
    case 3: return "I2C (A:bit16 D:bit16)";
    default: return nullptr;
  }
}

}  // namespace

// Polls a sensor register until it holds the expected value; 1 when it did, 0 otherwise.
static int PollRegister(HardwareController& hw, int board, int site, const ScriptLine& line) {
  const std::string check = Word(line, 1);
  const auto equals = check.find('=');
  const int address = ParseHex(check.substr(0, equals));
  const int expected = equals == std::string::npos ? 0 : ParseHex(check.substr(equals + 1));
  const int tries = ParseInt(Word(line, 2));
  hw.SiteLog(site, "Check Addr:%x = %x max %d times", address, expected, tries);
  for (int i = 0; i < tries; ++i) {
    HardwareController::DelayMs(1);
    int value = 0;
    const int read = hw.IIC_Read(board, address, &value);
    hw.SiteLog(site, "%d Check Addr:%x, Data: %x", 0, address, value & 0xFFFF);
    // A failed read leaves the value untouched: it never counts as the expected one.
    if (read == 1 && value == expected) {
      hw.SiteLog(site, "Check done:%x", value);
      HardwareController::DelayMs(20);
      return 1;
    }
    if (read != 1) {
      hw.SiteLog(site, "I2C Fail : %x", address);
      break;
    }
  }
  hw.SiteLog(site, "Addr check fail: %x", address);
  return 0;
}

int HardwareController::RegisterSet(int board, int site, const std::string& key) {
  SiteLog(site, "Register Set Key :: %s", key.c_str());
  if (!IsValidBoard(board) || !table_) return 0;
  const auto section = ReadScriptSection(record_ ? record_->GetRegisterPath() : std::string(), key);
  if (!section) return 0;
  for (const ScriptLine& line : *section) {
    if (Starts(line, "0X")) {
      const int address = ParseHex(line.firstWord);
      const int data = ParseHex(Word(line, 1));
      if (IIC_Write(board, address, data) != 1 && IIC_Write(board, address, data) != 1) {
        SiteLog(site, "I2C Fail:%x,%x", address, data);
        return 0;
      }
    } else if (Starts(line, "DS160")) {
      const int reg = ParseHex(Word(line, 1));
      const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(reg), static_cast<std::uint8_t>(ParseHex(Word(line, 2)))};
      BoardCall(table_->I2C_ExRPT_Reset, board);
      if (BoardCall(table_->I2C_ExRPT_Write, board, kDs160Bus, 0, static_cast<std::uint32_t>(reg), 2, bytes) != 1) {
        SiteLog(site, "Fail : I2C DS160 Write");
        return 0;
      }
    } else if (Starts(line, "EXDP") || Starts(line, "INDP")) {
      const int result = WriteIndpTable(board, site, ParseHex(Word(line, 1)), ParseHex(Word(line, 2)),
                                        ParseHex(Word(line, 3)));
      if (result != 1) return result;
    } else if (Starts(line, "EXT_5V")) {
      const bool on = ParseInt(Word(line, 1)) == 1;
      const bool pass = BoardCall(table_->SEN_ExtPower, board, on ? 1 : 0) == 1;
      SiteLog(site, "%s : SEN_Power [%s]", pass ? "PASS" : "Fail", on ? "ON" : "OFF");
    } else if (Starts(line, "ENB")) {
      const int level = ParseInt(Word(line, 1));
      BoardCall(table_->SEN_EnablePin, board, level != 0 ? 1 : 0);
      SiteLog(site, "ENB : %d", level);
    } else if (Starts(line, "GPIO")) {
      const int pin = ParseInt(line.firstWord.substr(4));
      if (pin < 0 || pin > 3) {
        SiteLog(site, "GPIO must be 0 ~ 3");
      } else {
        BoardCall(table_->GPIOWrite, board, pin, ParseInt(Word(line, 1)) != 0 ? 1 : 0);
      }
    } else if (Starts(line, "I2CM")) {
      const int mode = ParseInt(Word(line, 1));
      state_->SetI2cMode(board, mode);
      if (const char* text = I2cModeText(mode)) SiteLog(site, "%s", text);
    } else if (Starts(line, "MCL")) {
      const double mhz = ParseDecimal(Word(line, 1));
      if (mhz > 0) {
        BoardCall(table_->CLK_Set, board, mhz);
        BoardCall(table_->CLK_Select, board, 1);
      } else {
        BoardCall(table_->CLK_Off, board, 0);
      }
      SiteLog(site, "MCLK : %f", mhz);
    } else if (Starts(line, "RDCH")) {
      if (PollRegister(*this, board, site, line) != 1) return 0;
    } else if (Starts(line, "RES")) {
      const int level = ParseInt(Word(line, 1));
      BoardCall(table_->SEN_ResetPin, board, level != 0 ? 1 : 0);
      SiteLog(site, "RESET : %d", level);
    } else if (Starts(line, "SLE")) {
      DelayMs(ParseDecimal(Word(line, 1)));
    }
  }
  return 1;
}

int HardwareController::RegisterSet_RPT(int board, int site, const std::string& key) {
  SiteLog(site, "RPT-Register Set Key :: %s", key.c_str());
  state_->ReadHardwareSettings();
  // An I2CM line's mode lasts until the settings are read again, also on a board whose site's run keeps
  // the settings it started with.
  if (IsValidBoard(board)) state_->SetI2cMode(board, state_->Settings(board)->i2cMode);
  const std::string path = (record_ ? record_->GetRoot() : std::string()) + "/Ref/RPT_Setting.ini";
  const auto section = ReadScriptSection(path, key);
  if (!section) {
    SiteLog(site, "RTP-Open fail: %s", path.c_str());
    return 0;
  }
  // A board outside 0..3 or no facade: nothing to program, and the file was not the fault.
  if (!IsValidBoard(board) || !table_) return 0;
  // The board layer's negative error codes are failures too: a failed read shows no data.
  for (const ScriptLine& line : *section) {
    const auto bus = static_cast<std::uint8_t>((state_->RepeaterAddr() << 1) & 0xFF);
    if (Starts(line, "RWR")) {
      const int reg = ParseHex(Word(line, 1));
      const auto data = static_cast<std::uint8_t>(ParseHex(Word(line, 2)));
      if (BoardCall(table_->I2C_RPT_Write, board, bus, 1, static_cast<std::uint32_t>(reg), 1, &data) != 1) {
        SiteLog(site, "RPT Write fail: Addr(0x%x) Data(0x%x)", reg, data);
      }
    } else if (Starts(line, "RRD")) {
      const int reg = ParseHex(Word(line, 1));
      std::uint8_t data = 0;
      if (BoardCall(table_->I2C_RPT_Read, board, bus, 1, static_cast<std::uint32_t>(reg), 1, &data) == 1) {
        SiteLog(site, "RPT Read:Addr(0x%x),Data(0x%x)", reg, data);
      } else {
        SiteLog(site, "RPT I2C Read fail: Addr(0x%x)", reg);
      }
    } else if (Starts(line, "SLAV")) {
      const int address = ParseHex(Word(line, 1));
      state_->SetRepeaterAddr(address);
      SiteLog(site, "RPT-Slave cmd: %x", address);
    } else if (Starts(line, "SLE")) {
      DelayMs(ParseDecimal(Word(line, 1)));
    }
  }
  return 1;
}

}  // namespace hw
