#!/usr/bin/env python3
"""Writes a small seed corpus for one of the fuzzers into the folder given:
    fuzz_seeds.py FOLDER                 frames for the game scene fuzzer
    fuzz_seeds.py --kif FOLDER DICT      records for the KIF reader fuzzer, and its dictionary
    fuzz_seeds.py --csa FOLDER DICT      records for the CSA reader fuzzer, and its dictionary
    fuzz_seeds.py --ki2 FOLDER DICT      records for the KI2 reader fuzzer, and its dictionary
    fuzz_seeds.py --game-summary FOLDER DICT a server's Game_Summary, and its dictionary
    fuzz_seeds.py --csa-move FOLDER DICT CSA positions followed by moves, and their dictionary
    fuzz_seeds.py --sfen FOLDER          positions for the SFEN fuzzer
    fuzz_seeds.py --settings FOLDER      remembered games for the settings reader fuzzer


Frames are encoded as the fuzzer reads them: a control byte (button levels in the low three
bits, pointer kind in bits 3 and 4), then the pointer's bytes. Clicks on square centres give
the fuzzer whole moves to start from; the rest show it the far corners of the input space.
"""
import os
import struct
import sys

LEFT, MIDDLE, RIGHT = 1, 2, 4


def square(column, row, buttons):
    return bytes([buttons | (0 << 3), row * 9 + column])


def click(column, row, buttons=LEFT):
    return square(column, row, buttons) + square(column, row, 0)


def raw16(x, y, buttons):
    return bytes([buttons | (1 << 3)]) + struct.pack('<hh', x, y)


def raw32(x, y, buttons):
    return bytes([buttons | (2 << 3)]) + struct.pack('<ii', x, y)


def scene_seeds():
    seeds = {
        # select, cancel, select again and move; Red answers; Blue's bishop takes Red's
        # bishop and is promoted on landing.
        'capture': click(2, 6) + click(2, 6, RIGHT) + click(2, 6) + click(2, 5)
        + click(6, 2) + click(6, 3) + click(1, 7) + click(7, 1),
        'both-buttons': click(4, 6) + click(4, 5, LEFT | RIGHT) + click(4, 6, LEFT | MIDDLE),
        'off-board': raw16(5, 20, LEFT) + raw16(5, 20, 0) + raw16(30, 20, LEFT) + raw16(30, 20, 0)
        + raw16(-1, -1, LEFT) + raw16(-1, -1, 0) + raw16(600, 300, LEFT) + raw16(600, 300, 0),
        'extremes': raw32(-2**31, -2**31, LEFT) + raw32(-2**31, -2**31, 0)
        + raw32(2**31 - 1, 2**31 - 1, LEFT) + raw32(2**31 - 1, 2**31 - 1, 0),
        'held': bytes([LEFT | (3 << 3)]) * 8 + bytes([3 << 3]),
        # An input that ends inside a frame's pointer bytes: the reader once ran past its end.
        'cut-short': click(4, 6) + bytes([LEFT | (2 << 3)]) + b'\x10\x00',
    }
    return seeds


HEADER = '手合割：平手\n手数----指手---------消費時間--\n'
# The bishop trade, as the game writes it and with another writer's time columns.
TRADE = ['７六歩(77)', '３四歩(33)', '２二角成(88)', '同　銀(31)']


def moves(texts, times=False):
    lines = []
    for number, text in enumerate(texts, 1):
        lines.append('%4d %s%s\n' % (number, text, '   ( 0:01/00:00:01)' if times else ''))
    return ''.join(lines)


def kif_seeds():
    good = {
        'plain': '#KIF version=2.0 encoding=UTF-8\n開始日時：2026/01/01 00:00:00\n' + HEADER
        + moves(TRADE),
        'times-end': HEADER + moves(TRADE, times=True) + '   5 投了\nまで4手で後手の勝ち\n',
        # Time columns padded as other writers pad them, past an hour, and unreadable.
        'times-padding': HEADER + '   1 ７六歩(77)    (00:01 / 00:00:01)\n'
        + '   2 ３四歩(33) (0:1/0:0:1)\n   3 ２二角成(88)(75:03/01:15:04)( 0:00/00:00:00)\n'
        + '   4 同　銀(31)   ( 0:75/99:60:00)\n   5 ５八玉(59) (6000:00)\n',
        'variants': '後手：R\n先手：B\n' + HEADER + moves(['７六歩(77)', '５二王(51)', '５八玉(59)',
                                                       '５一王(52)'])
        + '*comment\n&bookmark\n変化：3手\n',
    }
    seeds = {name: text.encode() for name, text in good.items()}
    seeds['crlf-bom'] = b'\xef\xbb\xbf' + good['plain'].replace('\n', '\r\n').encode()
    seeds['shift-jis'] = good['times-end'].replace('\n', '\r\n').encode('cp932')
    broken = {
        'drop': HEADER + moves(['５五歩打']),
        'handicap': '手合割：香落ち\n' + moves(['５二玉(51)']),
        'diagram': '後手の持駒：なし\n  ９ ８ ７ ６ ５ ４ ３ ２ １\n+---------------------------+\n',
        'not-promoted': HEADER + moves(['７六歩(77)', '３四歩(33)', '２二角(88)']),
        'declined': HEADER + moves(['７六歩(77)', '３四歩(33)', '２二角不成(88)']),
        'numbering': HEADER + '   1 ７六歩(77)\n   3 ３四歩(33)\n',
        'cut-short': (HEADER + moves(TRADE))[:-9],
    }
    seeds.update({name: text.encode() for name, text in broken.items()})
    seeds.update({name: text.encode() for name, text in standard_seeds().items()})
    return seeds


SIMPLE_MARK = '#ixo-shogi rules=simple\n'
STANDARD_MARK = '#ixo-shogi rules=standard\n'
# Bishops traded without promoting, a bishop dropped: the standard game's own notation.
DROP = ['７六歩(77)', '３四歩(33)', '２二角(88)', '同　銀(31)', '５五角打']
FILES = '  ９ ８ ７ ６ ５ ４ ３ ２ １\n'
BORDER = '+---------------------------+\n'
EMPTY_ROW = '| ・ ・ ・ ・ ・ ・ ・ ・ ・|'
RANKS = '一二三四五六七八九'


def diagram(rows, blue_hand, red_hand='なし', red_to_move=False):
    rows = rows + [EMPTY_ROW] * (9 - len(rows))
    text = '後手の持駒：%s\n' % red_hand + FILES + BORDER
    text += ''.join(row + RANKS[index] + '\n' for index, row in enumerate(rows))
    text += BORDER + '先手の持駒：%s\n' % blue_hand
    return text + ('後手番\n' if red_to_move else '')


CORNER = ['| ・ ・ ・ ・ ・ ・ ・v桂v玉|', EMPTY_ROW, '| ・ ・ ・ ・ ・ ・ ・ 金 ・|']


def standard_seeds():
    """Records of the standard rules, as other programs and this game write them."""
    table = '手数----指手---------消費時間--\n'
    good = {
        'std-drop-resign': STANDARD_MARK + HEADER + moves(DROP, times=True)
        + '   6 投了\nまで5手で先手の勝ち\n',
        'std-funari-variation': HEADER + moves(['７六歩(77)', '３四歩(33)', '２二角不成(88)'])
        + '   4 反則勝ち\n変化：3手\n   3 ２二角成(88)\n',
        'std-handicap': '手合割：二枚落ち\n下手：A\n上手：B\n' + table
        + moves(['５二玉(51)', '７六歩(77)']) + '   3 切れ負け\n',
        'std-diagram-mate': diagram(CORNER, '金　歩二') + table + moves(['１二金打']) + '   2 詰み\n',
        'std-diagram-red': diagram(['| ・ ・ ・ ・v玉 ・ ・ ・ ・|'] + [EMPTY_ROW] * 7
                                   + ['| ・ ・ ・ ・ 玉 ・ ・ ・ ・|'],
                                   '歩十八', '飛二　角二', True) + table + moves(['５二玉(51)']),
        'old-simple': '先手：Blue\n後手：Red\n' + HEADER + moves(TRADE),
        # A study record: comments before and after moves, bookmarks, nested variations
        # listed depth first, an ending with its time.
        'std-tree': '*before the moves\n&start\n' + HEADER
        + '   1 ７六歩(77)   ( 0:05/00:00:05)\n*first\n*second\n'
        + '   2 ３四歩(33)   ( 0:03/00:00:03)+\n&here\n   3 ２六歩(27)\n'
        + '   4 投了         ( 0:20/00:00:23)\nまで3手で先手の勝ち\n'
        + '\n変化：2手\n   2 ８四歩(83)+\n   3 ２六歩(27)+\n*in it\n'
        + '\n変化：3手\n   3 ６八銀(79)\n\n変化：2手\n   2 ４四歩(43)\n',
        'std-sealed': HEADER + '   1 ７六歩(77)\n   2 封じ手\n   2 ３四歩(33)\n   3 中断\n',
        'std-specials': HEADER + '   1 ７六歩(77)\n   2 持将棋 ( 0:01/00:00:01)\n'
        + '変化：2手\n   2 千日手\n変化：2手\n   2 不戦勝\n変化：1手\n   1 不詰\n',
        'std-diagram-two-pawns': diagram(['| ・ ・ ・ ・ ・ ・ ・ ・v玉|', EMPTY_ROW, EMPTY_ROW,
                                          EMPTY_ROW, '| ・ ・ ・ ・ ・ ・ ・ 歩 ・|', EMPTY_ROW,
                                          '| ・ ・ ・ ・ ・ ・ ・ 歩 ・|', EMPTY_ROW,
                                          '| 玉 ・ ・ ・ ・ ・ ・ ・ ・|'], '歩') + table
        + moves(['２四歩(25)']) + '変化：1手\n   1 ２三歩打\n',
        'std-bad-variation': HEADER + moves(['７六歩(77)', '３四歩(33)'])
        + '変化：2手\n   2 ７七角成(22)\n*dropped\n変化：9手\n   9 ５五歩(56)\n',
    }
    seeds = {name: text for name, text in good.items()}
    broken = {
        'std-pawn-drop-mate': diagram(CORNER, '歩') + table + moves(['１二歩打']),
        'std-two-pawns': HEADER + moves(['７六歩(77)', '３四歩(33)', '７五歩(76)', '３五歩(34)',
                                         '７四歩(75)', '同　歩(73)', '４八銀(39)', '３三歩打']),
        'std-dead-diagram': diagram(['| ・ ・ ・ ・ 歩 ・ ・ ・v玉|'], 'なし') + table,
        'std-short-row': diagram([EMPTY_ROW, '| ・ ・ ・|'], 'なし') + table,
        'simple-marked-drop': SIMPLE_MARK + HEADER + moves(['５五歩打']),
    }
    seeds.update(broken)
    return seeds


# Pieces of KIF for the fuzzer to splice in, written as escaped bytes as libFuzzer wants them.
KIF_TOKENS = ['同', '　', '成', '不成', '打', '歩', '香', '桂', '銀', '金', '角', '飛', '玉', '王',
              'と', '成香', '杏', '成桂', '圭', '成銀', '全', '馬', '龍', '竜', '１', '５', '９',
              '一', '五', '九', '(77)', '(11)', '(99)', '：', '手合割：', '平手', '持駒', 'まで',
              '投了', '中断', '変化：', '手数----', '( 0:00/00:00:00)', '(00:01 / 00:00:01)',
              '(0:1/0:0:1)', '(75:03/101:15:03)', ':', '/', '\r\n', '#KIF ',
              'encoding=Shift_JIS', '詰み', '千日手', '入玉勝ち', '反則勝ち', '反則負け', '切れ負け',
              '香落ち', '飛車落ち', '二枚落ち', '十枚落ち', '詰将棋', '先手の持駒：', '後手の持駒：',
              '下手：', '上手：', '先手番', '後手番', '手番：', '|', 'v', '・', '十', '二', 'なし',
              '+---------------------------+', '  ９ ８ ７ ６ ５ ４ ３ ２ １',
              '#ixo-shogi rules=simple', '#ixo-shogi rules=standard', '先手：Blue', '後手：Red',
              '*', '&', '変化：2手', '封じ手', '持将棋', '不戦勝', '不戦敗', '不詰', '時間切れ', ')+']


def write_dictionary(path):
    with open(path, 'w') as dictionary:
        for token in KIF_TOKENS:
            data = token.encode()
            dictionary.write('"%s"\n' % ''.join('\\x%02x' % byte for byte in data))


CSA_BOARD = ''.join('P%d%s\n' % (rank, row) for rank, row in enumerate([
    '-KY-KE-GI-KI-OU-KI-GI-KE-KY', ' * -HI *  *  *  *  * -KA * ', '-FU' * 9, ' * ' * 9,
    ' * ' * 9, ' * ' * 9, '+FU' * 9, ' * +KA *  *  *  *  * +HI * ',
    '+KY+KE+GI+KI+OU+KI+GI+KE+KY'], 1))


def csa_seeds():
    """CSA records from V1 to V3.0, as servers and other programs write them."""
    seeds = {
        'v22': "V2.2\nN+a\nN-b\n$EVENT:e\n$START_TIME:2026/01/01 00:00:00\nPI\n+\n"
        "+7776FU\nT12\n-3334FU\nT6\n+8822UM\n-3122GI\n+0055KA\n%TORYO\nT1\n",
        'floodgate': "'wdoor+floodgate-300-10F\nV2\n" + CSA_BOARD + "+\n+2726FU\nT14\n"
        "'** 113 -3334FU +2625FU\n-3334FU,T3\n'** -20 +2625FU\n%KACHI\n'summary:x\n",
        'v3-commas': "'CSA encoding=UTF-8\nV3.0\nPI82HI22KA,-\n-5142OU,T0.5\n+7776FU,T1.25\n"
        "%+ILLEGAL_ACTION\n",
        'problem': 'P1 *  *  *  *  *  *  * -KE-OU\nP3 *  *  *  *  *  *  * +KI * \nP+00KI\n'
        'P-00AL\n+\n+0012KI\n%TSUMI\n',
        'several': 'PI\n+\n+7776FU\n/\nPI\n+\n+2726FU\n/\nPI\n',
        'refused-move': 'PI\n+\n+7776FU\n+3334FU\n',
        'moves-only': '+7776FU\nT1\n-3334FU\n',
    }
    return {name: text.encode() for name, text in seeds.items()}


CSA_TOKENS = ['V2.2', 'V3.0', 'N+', 'N-', '$EVENT:', '$START_TIME:', '$TIME:', 'PI', 'P1', 'P9',
              'P+', 'P-', '00AL', '+', '-', ',', 'T', '.5', "'", "'*", "'** ", '/', '\r\n',
              '%TORYO', '%CHUDAN', '%SENNICHITE', '%TIME_UP', '%ILLEGAL_MOVE', '%+ILLEGAL_ACTION',
              '%-ILLEGAL_ACTION', '%JISHOGI', '%KACHI', '%HIKIWAKE', '%MAX_MOVES', '%TSUMI',
              '%FUZUMI', '%ERROR', '%MATTA', ' * ', '+FU', '-OU', 'FU', 'TO', 'KA', 'UM', 'HI',
              'RY', 'KY', 'NY', 'KE', 'NK', 'GI', 'NG', 'KI', 'OU', '7776', '0055', '88', '22']


def summary(position, your_turn='+', to_move='+', time=None, extra=''):
    """A Game_Summary as shogi-server sends it, from the line after BEGIN Game_Summary."""
    time = time or ('BEGIN Time\nTime_Unit:1sec\nTotal_Time:600\nByoyomi:10\n'
                    'Least_Time_Per_Move:1\nEND Time\n')
    return ('Protocol_Version:1.2\nProtocol_Mode:Server\nFormat:Shogi 1.0\n'
            'Declaration:Jishogi 1.1\nGame_ID:wdoor+floodgate-600-10+a+b+20260101000000\n'
            'Name+:a\nName-:b\nYour_Turn:%s\nRematch_On_Draw:NO\nTo_Move:%s\nMax_Moves:256\n'
            '%s%sBEGIN Position\n%sEND Position\nEND Game_Summary\n'
            % (your_turn, to_move, time, extra, position))


def summary_seeds():
    """What a server proposes: the even game, handicaps, hands, moves already played, times."""
    seeds = {
        'shogi-server': summary(CSA_BOARD + 'P+\nP-\n+\n'),
        'played': summary(CSA_BOARD + 'P+\nP-\n+\n+7776FU,T12\n-3334FU,T6\n+8822UM,T1\n'
                          "'a comment\n-3122GI,T0\n+0055KA,T3\n", your_turn='-', to_move='-'),
        'handicap-pi': summary('PI82HI22KA\n-\n-3334FU,T2\n', to_move='+'),
        'hands-00al': summary('P1 *  *  *  *  *  *  * -KE-OU\nP2' + ' * ' * 9 + '\nP3 *  *  *  * '
                              ' *  *  * +KI * \n' + ''.join('P%d' % rank + ' * ' * 9 + '\n'
                                                            for rank in range(4, 9))
                              + 'P9 *  *  *  * +OU *  *  *  * \nP+00KI00FU\nP-00AL\n+\n'),
        'sides-times': summary('PI\n+\n', time='BEGIN Time+\nTime_Unit:1msec\nTotal_Time:60000\n'
                               'Increment:1000\nEND Time+\nBEGIN Time-\nTime_Unit:1min\n'
                               'Total_Time:10\nByoyomi:0\nTime_Roundup:YES\nEND Time-\n',
                               extra='BEGIN Other\nX:1\nEND Other\nX_Unknown:2\n'),
    }
    return {name: text.encode() for name, text in seeds.items()}


SUMMARY_TOKENS = CSA_TOKENS + ['BEGIN ', 'END ', 'Game_Summary', 'Time', 'Time+', 'Time-',
                               'Position', 'Protocol_Version:', 'Protocol_Mode:', 'Format:',
                               'Declaration:', 'Game_ID:', 'Name+:', 'Name-:', 'Your_Turn:',
                               'To_Move:', 'Rematch_On_Draw:', 'Max_Moves:', 'Time_Unit:',
                               'Total_Time:', 'Byoyomi:', 'Increment:', 'Least_Time_Per_Move:',
                               'Time_Roundup:', 'sec', 'msec', 'min', 'YES', 'NO', ',T']


def csa_move_seeds():
    """Positions as the client reads them, each followed by moves with and without times."""
    seeds = {
        'board-moves': CSA_BOARD + 'P+\nP-\n+\n+7776FU,T12\n-3334FU,T6\n+8822UM\n-3122GI\n'
        '+0055KA\n',
        'pi': 'PI82HI22KA\n-\n-5142OU\n+7776FU\n',
        'hands-00al': 'P1 *  *  *  *  *  *  * -KE-OU\nP+00KI\nP-00AL\n+\n+0012KI\n',
        'promote': 'PI\n+\n+7776FU\n-3334FU\n+8833UM\n-2133KE\n',
        'one-move': '+7776FU',
        'refused': '-3334FU\n+7775FU\n+0055KA\n+2726TO\n',
    }
    return {name: text.encode() for name, text in seeds.items()}


def ki2_seeds():
    """KI2 records: published games' words, several moves a line, endings and variations."""
    seeds = {
        'plain': '手合割：平手\n▲７六歩    △３四歩    ▲２二角成  △同　銀    ▲５五角打\n'
        'まで5手で中断\n',
        'words': '▲７八金    △３二金    ▲６九玉    △４一玉    ▲５八金右  △５二金左\n'
        '▲５九金直△４二金寄\n*comment\nまで8手で先手の勝ち\n\n変化：3手\n▲２六歩\n',
        'handicap': '手合割：角落ち\n下手：A\n上手：B\n\n△６二銀▲７六歩△５四歩\n'
        'まで3手で上手の反則負け\n',
        'refused': '▲７六歩    △３四歩    ▲２二角\n',
        'ambiguous': '▲４八銀    △３四歩    ▲５八金\n',
    }
    result = {name: text.encode() for name, text in seeds.items()}
    result['shift-jis'] = seeds['words'].replace('\n', '\r\n').encode('cp932')
    return result


KI2_TOKENS = KIF_TOKENS + ['▲', '△', '▼', '▽', '右', '左', '上', '引', '寄', '直', '生', '行',
                           'まで', '手で', '先手の勝ち', '後手の反則負け', '時間切れにより',
                           '#KI2 version=2.0 encoding=UTF-8']


def write_tokens(path, tokens):
    """A dictionary of the other formats' tokens, escaped as write_dictionary escapes them."""
    with open(path, 'w') as dictionary:
        for token in tokens:
            dictionary.write('"%s"\n' % ''.join('\\x%02x' % byte for byte in token.encode()))


# Positions that reach every part of the notation and of the rules: hands with counts, promoted
# pieces, both sides to move, check, a pawn drop that would mate, and notation just wrong.
SFEN_SEEDS = {
    'start': 'lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1',
    'startpos': 'startpos',
    'drops': 'l6nl/5+P1gk/2np1S3/p1p4Pp/3P2Sp1/1PPb2P1P/P5GS1/R8/LN4bKL w GR5pnsg 1',
    'pawn-mate': '7nk/7p1/8G/9/9/9/9/9/4K4 b PG 1',
    'check': '4k4/9/9/9/4r4/9/9/9/4K4 b G 1',
    'impasse': 'RRBBGGGGS/S3K4/9/9/9/9/9/9/4k4 b 2P',
    'usi': 'sfen 4k4/9/9/9/9/9/4+P4/9/4K4 w 18p 120',
    'bad': 'lnsgkgsnl/1r5b1/ppp+kpppp/10/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL x 0P -1',
}

# The file as the game writes it, and the ways a person editing it goes wrong.
SETTINGS_SEEDS = {
    'written': 'rules = standard\nopponent = computer-red\nlevel = 3\nclock = 10m\n'
    'byoyomi = 30s\nhandicap = 香落ち\nengine = gpsusi\n',
    'increment': 'rules = simple\nopponent = computer-blue\nlevel = 10\nclock = 3m\n'
    'increment = 2s\n',
    'none': '# a comment\nrules = simple\nopponent = two-players\nclock = none\n',
    'wrong': 'level = 0\nlevel=11\nclock = 1m30\nbyoyomi = 30s\nincrement = 2s\n'
    'handicap = 平手\ncolour = green\n = \n==\nwords\r\n',
}


def main():
    if sys.argv[1] == '--settings':
        folder, seeds = sys.argv[2], {name: text.encode() for name, text in SETTINGS_SEEDS.items()}
    elif sys.argv[1] == '--sfen':
        folder, seeds = sys.argv[2], {name: text.encode() for name, text in SFEN_SEEDS.items()}
    elif sys.argv[1] == '--kif':
        folder, seeds = sys.argv[2], kif_seeds()
        write_dictionary(sys.argv[3])
    elif sys.argv[1] == '--csa':
        folder, seeds = sys.argv[2], csa_seeds()
        write_tokens(sys.argv[3], CSA_TOKENS)
    elif sys.argv[1] == '--game-summary':
        folder, seeds = sys.argv[2], summary_seeds()
        write_tokens(sys.argv[3], SUMMARY_TOKENS)
    elif sys.argv[1] == '--csa-move':
        folder, seeds = sys.argv[2], csa_move_seeds()
        write_tokens(sys.argv[3], CSA_TOKENS)
    elif sys.argv[1] == '--ki2':
        folder, seeds = sys.argv[2], ki2_seeds()
        write_tokens(sys.argv[3], KI2_TOKENS)
    else:
        folder, seeds = sys.argv[1], scene_seeds()
    os.makedirs(folder, exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(folder, name), 'wb') as seed:
            seed.write(data)


if __name__ == '__main__':
    main()
