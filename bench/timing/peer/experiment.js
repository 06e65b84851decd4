// Twelve figures for 30 000 ms where the program shows them; then either twelve placements
// (the figure to place and the twelve numbered panels as buttons, one click each) or one
// answer screen left alone until its 60 000 ms are over; then a closing message, whose
// appearance also sends the data to the local server.
const placements = new URLSearchParams(location.search).get('mode') === 'placements';
const picture = (n) => `pictures/${String(n).padStart(4, '0')}.jpg`;
const figures = Array.from({length: 12}, (_, i) => picture(i + 1));
const answers = Array.from({length: 12}, (_, i) => picture(i + 13));
const panel = (i) => ({left: 115 + 200 * (i % 4), top: 4 + 152 * Math.floor(i / 4)});

const jsPsych = initJsPsych();

const start = {
  type: jsPsychHtmlKeyboardResponse,
  stimulus: '<div class="marker"></div><p>Press the space bar.</p>'
    + figures.concat(answers).map((f) => `<img class="preload" src="${f}">`).join(''),
  choices: [' '],
  // The marker turns magenta once every picture is decoded: the bench starts from there.
  on_load: () => {
    const images = [...document.querySelectorAll('.preload')];
    Promise.all(images.map((im) => im.decode())).then(() => {
      document.querySelector('.marker').classList.add('ready');
    });
  },
};

const exposure = {
  type: jsPsychHtmlKeyboardResponse,
  stimulus: figures.map((f, i) =>
    `<img class="figure" src="${f}" style="left:${panel(i).left + 2}px;top:${panel(i).top + 2}px">`).join(''),
  choices: 'NO_KEYS',
  trial_duration: 30000,
};

const answer = (i, duration) => ({
  type: jsPsychImageButtonResponse,
  stimulus: answers[i],
  render_on_canvas: false,
  choices: Array.from({length: 12}, (_, k) => String(k + 1)),
  button_html: (choice, k) =>
    `<button class="panel" style="left:${panel(k).left}px;top:${panel(k).top}px">${choice}</button>`,
  trial_duration: duration,
  data: {phase: duration === null ? 'placement' : 'answer'},
});

const closing = {
  type: jsPsychHtmlKeyboardResponse,
  stimulus: '<p class="closing">Тест закончен. Спасибо за работу.</p>',
  choices: 'NO_KEYS',
  on_load: () => {
    fetch('data', {method: 'POST', body: JSON.stringify(jsPsych.data.get().values())});
  },
};

const answering = placements ? answers.map((_, i) => answer(i, null)) : [answer(0, 60000)];
jsPsych.run([start, exposure, ...answering, closing]);
